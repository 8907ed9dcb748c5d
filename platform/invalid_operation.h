#pragma once
// A request the window framework refuses, such as showing a visible window
// modally. Derived from std::exception so the error handler shows it.

#include <QByteArray>
#include <QString>
#include <exception>

class EInvalidOperation : public std::exception {
public:
    explicit EInvalidOperation(const QString &message) : m_utf8(message.toUtf8()) {}
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QByteArray m_utf8;
};
