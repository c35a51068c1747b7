#include "core/import/AccessFile.h"

#include "core/import/ImportErrors.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstring>

namespace import {

namespace {
constexpr int HeaderSize = 0x80 + 0x18;
constexpr int VersionOffset = 0x14;
constexpr int MaskedStart = 0x18;       // the header from here on is RC4-masked
constexpr int PasswordOffset = 0x42;    // the database password, inside the masked part
constexpr int CreatedOffset = 0x72;     // Jet 4's creation date, which masks the password again
constexpr int DatabaseKeyOffset = 0x3e; // inside the masked part; not zero: pages are encoded

bool hasAccessMagic(const QByteArray& head)
{
    return head.size() >= 20 && head.at(0) == 0 && head.at(1) == 1 &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

// Jet's fixed header mask: RC4 with the key 0x6b39dac7.
void unmask(char* data, int length)
{
    const std::array<unsigned char, 4> key{0xc7, 0xda, 0x39, 0x6b};
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) & 0xff]);
    }
}

bool hasPassword(QByteArray head, bool jet3)
{
    unmask(head.data() + MaskedStart, HeaderSize - MaskedStart);
    const char* password = head.constData() + PasswordOffset;
    if (jet3)
        return std::any_of(password, password + 20, [](char c) { return c != 0; });
    // Jet 4 and ACE: 20 UTF-16 units, each four bytes masked again with the
    // whole days of the creation date.
    double created = 0;
    std::memcpy(&created, head.constData() + CreatedOffset, sizeof created);
    const auto days = static_cast<quint32>(static_cast<qint32>(created));
    for (int i = 0; i < 40; ++i)
        if (static_cast<unsigned char>(password[i]) != ((days >> (8 * (i % 4))) & 0xff))
            return true;
    return false;
}
} // namespace

bool isAccessFile(const QString& path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) &&
           hasAccessMagic(file.read(20));
}

bool isEncodedAccessFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = file.read(HeaderSize);
    if (head.size() < HeaderSize || !hasAccessMagic(head))
        return false;
    unmask(head.data() + MaskedStart, HeaderSize - MaskedStart);
    return std::any_of(head.constData() + DatabaseKeyOffset,
                       head.constData() + DatabaseKeyOffset + 4, [](char c) { return c != 0; });
}

db::Error checkAccessFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {db::FileNotFound,
                QStringLiteral("The Access database %1 cannot be opened for reading.")
                    .arg(db::quotedPath(path))};
    const QByteArray head = file.read(HeaderSize);
    // Access saves a database encrypted with a password inside an Office
    // compound file, which libmdb cannot open.
    if (head.startsWith(QByteArrayLiteral("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1")))
        return {AccessProtected,
                QStringLiteral("The file %1 is an encrypted Office file, as Access saves a "
                               "database encrypted with a password (or it is no Access database "
                               "at all). Remove the password in Access, then import it again.")
                    .arg(db::quotedPath(path))};
    if (!hasAccessMagic(head))
        return {NotAccessFile,
                QStringLiteral("The file %1 is not a Microsoft Access (Jet or ACE) database.")
                    .arg(db::quotedPath(path))};
    if (head.size() < HeaderSize)
        return {AccessDamaged, QStringLiteral("The Access database %1 is damaged: it ends "
                                              "inside its first page.")
                                   .arg(db::quotedPath(path))};
    const bool jet3 = head.at(VersionOffset) == 0;
    if (hasPassword(head, jet3))
        return {AccessProtected,
                QStringLiteral("The Access database %1 is protected by a database password. "
                               "Remove the password in Access, then import it again.")
                    .arg(db::quotedPath(path))};
    const qint64 pageSize = jet3 ? 2048 : 4096;
    if (file.size() == pageSize)
        return {AccessDamaged, QStringLiteral("The Access database %1 is damaged: it holds "
                                              "only its first page: it was cut short.")
                                   .arg(db::quotedPath(path))};
    if (file.size() % pageSize != 0 || file.size() < 2 * pageSize)
        return {AccessDamaged, QStringLiteral("The Access database %1 is damaged: its size "
                                              "(%2 bytes) is not a whole number of its %3-byte "
                                              "pages, so it was probably cut short.")
                                   .arg(db::quotedPath(path))
                                   .arg(file.size())
                                   .arg(pageSize)};
    return {};
}

} // namespace import
