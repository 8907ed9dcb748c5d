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

// A treasurer's table over the member tables: members down the page, the
// dues years from `firstYear` across (spreading over the pages beside when
// they do not fit), each cell what the member paid that year, the year's
// total under each column and the member's total at the end of each row.
// Not shipped; printed through the tool.
void qpBuildDuesTable(TqpReport &report, int firstYear, int years);

// Builds both and saves them as "UyeForm.qpf" and "UyeList.qpf" in the folder.
void qpWriteMemberTemplates(const QString &folder);
