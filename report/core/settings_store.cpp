#include "report/core/settings_store.h"

#include <QCoreApplication>

QString qpRegRootKey() { return QStringLiteral("Software/Quillpress/") + QCoreApplication::applicationName(); }

std::unique_ptr<QSettings> qpOpenSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quillpress"),
                                       QCoreApplication::applicationName());
}
