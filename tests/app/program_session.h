#pragma once
// A run of the real program in a temporary working folder, with scripted
// answers standing in for the operator; the window tests share it.

#include "anamenu.h"
#include "application.h"
#include "member_store.h"
#include "scripted_ui.h"
#include "table.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <memory>

inline TApplication *app() { return TApplication::instance(); }

class ProgramSession {
protected:
    // A fresh working folder made current; call from the test's init.
    bool beginSession()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid() || !QDir::setCurrent(m_dir->path()))
            return false;
        m_ui = std::make_unique<TScriptedUi>();
        return true;
    }

    // Closes every window and removes the folder; call from the test's cleanup.
    void endSession()
    {
        app()->DestroyForms();
        m_ui.reset();
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    // Starts the program as at launch, after `seed` has filled the member table.
    void startUp(const std::function<void(TTable &members)> &seed = {})
    {
        MemberStore::PrepareWorkingFolder(m_dir->path());
        if (seed) {
            TTable members;
            members.TableName = QStringLiteral("Uye.db");
            members.Open();
            seed(members);
        }
        StartUp(*app(), m_dir->path());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TScriptedUi> m_ui;
};
