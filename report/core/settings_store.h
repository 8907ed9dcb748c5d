#pragma once
// The report engine's per-user settings (window positions, designer
// options): an INI store of the organisation "Quillpress" and the
// application's title, whose keys keep the registry paths the engine has
// always used, below qpRegRootKey().

#include <QSettings>
#include <QString>
#include <memory>

// The registry key "Software\Quillpress\" followed by the application's
// title, written with the store's separator ("Software/Quillpress/Zelvan"):
// the root of every stored window and toolbar position of the engine.
QString qpRegRootKey();

// The store; its keys are full paths such as
// qpRegRootKey() + "/Form/TqpPreviewForm/Width".
std::unique_ptr<QSettings> qpOpenSettings();
