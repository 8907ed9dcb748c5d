#pragma once
// The data layer's one exception type. It derives from std::exception so the
// application's error handler shows it like any other failure.

#include <QByteArray>
#include <QString>
#include <exception>

class EDatabaseError : public std::exception {
public:
    explicit EDatabaseError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const char *what() const noexcept override { return m_utf8.constData(); }
    const QString &message() const { return m_message; }

private:
    QString m_message;
    QByteArray m_utf8;
};
