#pragma once
// The two templates the membership program prints with: the member form
// ("UyeForm.qpf", the current member on one A4 page) and the member list
// ("UyeList.qpf", every member the cursor sees). They are built here with
// the engine's own objects so that they can be regenerated and checked.

#include <QString>

class TqpReport;

// Fills an empty report; CurReport must be that report while it runs.
void qpBuildMemberForm(TqpReport &report);
void qpBuildMemberList(TqpReport &report);

// Builds both and saves them as "UyeForm.qpf" and "UyeList.qpf" in the folder.
void qpWriteMemberTemplates(const QString &folder);
