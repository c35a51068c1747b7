#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The few registry operations System Info needs to find the system-information
// program. Platforms without a registry have no implementation: there
// activeRegistry() is null and System Info reports itself unavailable.
class Registry
{
public:
    using Key = quintptr;

    static constexpr quint32 LocalMachine = 0x80000002; // HKEY_LOCAL_MACHINE
    static constexpr quint32 ReadAccess = 0x20019;      // KEY_READ
    static constexpr quint32 TextType = 1;              // REG_SZ
    static constexpr quint32 NumberType = 4;            // REG_DWORD, least significant byte first

    virtual ~Registry() = default;

    virtual bool openKey(quint32 root, const QString& keyName, quint32 access, Key& key) = 0;
    // The value's type and its data exactly as stored (a text value may or
    // may not carry its terminating zero).
    virtual bool queryValue(Key key, const QString& valueName, quint32& type, QByteArray& data) = 0;
    virtual void closeKey(Key key) = 0;
};

// The registry System Info reads: the one tests put in place, else the
// platform's, else none.
Registry* activeRegistry();
// Tests put an in-memory registry here; nullptr restores the platform's.
void setActiveRegistry(Registry* registry);
