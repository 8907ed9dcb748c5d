#pragma once
// The application object: owns the program's windows in the order they were
// created (the first is the main window) and is the standard error handler,
// showing any exception that escapes a command in a message box while the
// message loop goes on.

#include <QApplication>
#include <QList>
#include <functional>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    // Creates a window hidden, keeps it until DestroyForms, and points `ref`
    // at it for as long as it lives.
    template <class T> void CreateForm(T *&ref)
    {
        ref = new T;
        m_forms.append({ref, [&ref] { ref = nullptr; }});
    }
    QList<QWidget *> Forms() const;
    QWidget *MainForm() const { return m_forms.isEmpty() ? nullptr : m_forms.first().form; }
    // Destroys the windows, last created first; their tables close and drop
    // any row still pending.
    void DestroyForms();

    // Ends the message loop after the current message.
    void Terminate();
    bool Terminated() const { return m_terminated; }

    static TApplication *instance() { return static_cast<TApplication *>(QCoreApplication::instance()); }

private:
    struct Form {
        QWidget *form;
        std::function<void()> forget;
    };
    QList<Form> m_forms;
    bool m_terminated = false;
};

// Shows the exception being handled in the standard error box; call it from
// a catch block.
void HandleException();

// Runs a command; an error it raises is shown in the standard error box.
// Widgets call their handlers through this so that no exception has to
// travel through the toolkit's own frames.
template <class F> void Guarded(F &&command)
{
    try {
        command();
    } catch (...) {
        HandleException();
    }
}
