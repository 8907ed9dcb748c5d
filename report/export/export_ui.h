#pragma once
// The export filters' windows: their option dialogs, and the preview's
// save dialog offering every registered filter after the prepared-report
// type, following the filter table as filters come and go. Installed once
// at start-up, after the progress window.

void qpInstallExportUi();
