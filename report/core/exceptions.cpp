#include "report/core/exceptions.h"

EqpError::EqpError(const QString &message)
    : m_message(message), m_utf8(message.toUtf8())
{
}
