#pragma once

#include "shell/Registry.h"

#include <QMap>
#include <QPair>

// A registry in memory. Like the machine keys to an ordinary user, it
// refuses any open that asks for more than read access.
class MemoryRegistry : public Registry
{
public:
    static constexpr quint32 KeyRead = 0x20019;

    void setValue(quint32 root, const QString& keyName, const QString& valueName, quint32 type,
                  const QByteArray& data)
    {
        m_keys[{root, keyName.toLower()}][valueName.toLower()] = {type, data};
    }
    int openKeys() const { return int(m_open.size()); }

    bool openKey(quint32 root, const QString& keyName, quint32 access, Key& key) override
    {
        const auto found = m_keys.constFind({root, keyName.toLower()});
        if (found == m_keys.constEnd() || (access & ~KeyRead) != 0)
            return false;
        key = ++m_lastKey;
        m_open[key] = found.key();
        return true;
    }
    bool queryValue(Key key, const QString& valueName, quint32& type, QByteArray& data) override
    {
        const auto values = m_keys.value(m_open.value(key));
        const auto found = values.constFind(valueName.toLower());
        if (!m_open.contains(key) || found == values.constEnd())
            return false;
        type = found->first;
        data = found->second;
        return true;
    }
    void closeKey(Key key) override { m_open.remove(key); }

private:
    using KeyName = QPair<quint32, QString>;
    QMap<KeyName, QMap<QString, QPair<quint32, QByteArray>>> m_keys;
    QMap<Key, KeyName> m_open;
    Key m_lastKey = 0;
};
