#pragma once
// TqpDesigner: the component a host window places to tune the designer: the
// folders of its file dialogs and templates, whether closing asks to save,
// how forbidden buttons look, and handlers that replace loading and saving.
// There is at most one in the program; `qpDesignerComponent` is it.

#include <QObject>
#include <QString>
#include <functional>

class TqpReport;
class QWidget;

class TqpDesigner : public QObject {
    Q_OBJECT
public:
    // A second one while one exists raises EqpError.
    explicit TqpDesigner(QObject *owner = nullptr);
    ~TqpDesigner() override;

    bool CloseQuery = true;
    bool HideDisabledButtons = true;
    QString OpenDir, SaveDir, TemplateDir;

    // Replaces the open dialog; Opened comes back true when a report was loaded.
    std::function<void(TqpReport *report, QString &reportName, bool &opened)> OnLoadReport;
    // Replaces saving to a file; Saved comes back true when the report was saved.
    std::function<void(TqpReport *report, QString &reportName, bool saveAs, bool &saved)> OnSaveReport;
    // After the designer window is shown and after each preview from it.
    std::function<void(QWidget *designerWindow)> OnShow;
};

extern TqpDesigner *qpDesignerComponent;
// Folder of templates with a description; TemplateDir is copied here when used.
extern QString qpTemplateDir;
