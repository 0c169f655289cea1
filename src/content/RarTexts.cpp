#include "content/RarTexts.h"

#include "content/TUnRar.h"

namespace rartexts {

QString openError(int code, const QString& archive) {
    switch (code) {
    case TUnRar::NoMemory:
        return QStringLiteral("Not enough memory to initialize data structures");
    case TUnRar::BadData:
        return archive + QStringLiteral(": archive header broken");
    case TUnRar::BadArchive:
        return QStringLiteral("Файл ") + archive + QStringLiteral(" не является RAR архивом.");
    case TUnRar::OpenError:
        return QStringLiteral("Cannot open ") + archive;
    case TUnRar::Encrypted:
        return QStringLiteral("Архив ") + archive +
               QStringLiteral(" зашифрован: без пароля его не открыть.");
    default:
        // Never an empty box: the archive is named.
        return QStringLiteral("Cannot open ") + archive;
    }
}

QString processError(int code, const QString& name) {
    switch (code) {
    case TUnRar::BadData:
        return QStringLiteral("У файла ") + name + QStringLiteral(" ошика контрольной суммы.");
    case TUnRar::BadArchive:
        return QStringLiteral("Volume is not valid RAR archive");
    case TUnRar::UnknownFormat:
        return QStringLiteral("Unknown archive format");
    case TUnRar::CreateError:
        return QStringLiteral("File ") + name + QStringLiteral(" create error");
    case TUnRar::CloseError:
        return QStringLiteral("File ") + name + QStringLiteral(" close error");
    case TUnRar::ReadError:
        return QStringLiteral("Read error");
    case TUnRar::WriteError:
        return QStringLiteral("Write error");
    case TUnRar::Encrypted:
        return QStringLiteral("Файл ") + name +
               QStringLiteral(" зашифрован: без пароля его не распаковать.");
    case TUnRar::SolidUnsupported:
        return QStringLiteral("Файл ") + name +
               QStringLiteral(" лежит в непрерывном (solid) архиве RAR 4: распаковать его "
                              "нельзя.");
    case TUnRar::Refused:
        return QStringLiteral("Файл ") + name +
               QStringLiteral(" не распакован: его имя ведёт за пределы папки.");
    default:
        return {};
    }
}

QString brokenHeader(const QString& lastName) {
    return QStringLiteral("У файла: ") + lastName + QStringLiteral(" испорчен заголовок.");
}

QString missingVolume(const QString& volume) {
    return QStringLiteral("Том ") + volume + QStringLiteral(" не найден.");
}

bool goesOn(int processCode) {
    switch (processCode) {
    case TUnRar::Success:
    case TUnRar::Encrypted:
    case TUnRar::Refused:
    case TUnRar::Kept:
        return true;
    default:
        return false;
    }
}

} // namespace rartexts
