#pragma once

#include <QString>

// Where publishing passwords are kept: the desktop's keyring (the Secret
// Service of GNOME or KDE) through QtKeychain, never a file. Tests put a
// keyring of their own in its place.
class PasswordKeyring
{
public:
    virtual ~PasswordKeyring();
    // The password stored under key ("" when none is). False when no keyring
    // answers; *reason then says why, in the keyring's own words.
    virtual bool read(const QString &key, QString *password, QString *reason) = 0;
    // Stores (or, for an empty password, removes) the password under key.
    virtual bool write(const QString &key, const QString &password, QString *reason) = 0;
};

// The desktop's keyring. A keyring that does not answer within 15 seconds
// (time enough to unlock it when it asks) counts as none.
PasswordKeyring &DesktopKeyring();
