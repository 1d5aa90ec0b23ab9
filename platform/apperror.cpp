#include "platform/apperror.h"

#include "platform/languagetable.h"

#include <cstring>
#include <new>

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

QString errorMessageOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AppError &appError) {
        return appError.message();
    } catch (const std::exception &standardError) {
        return QString::fromLocal8Bit(standardError.what());
    } catch (...) {
        return TranslateText(QStringLiteral("Unknown error"));
    }
}

bool isOutOfMemory(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc &) {
        return true;
    } catch (const AppError &appError) {
        return appError.kind() == ErrorKind::OutOfMemory;
    } catch (...) {
        return false;
    }
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
