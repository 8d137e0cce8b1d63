#pragma once
// The clipboard of the forms: clear it, put a text on it, read its plain text. Tests install a
// fake (tests/support/fake_clipboard.h) so that nothing touches the desktop's clipboard.
#include <QString>

namespace ui {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void Clear() = 0;
    virtual void SetText(const QString& text) = 0;
    virtual QString GetText() const = 0;   // the plain text; "" when there is none
};

// The clipboard in use: the installed one, else the system's.
Clipboard& clipboard();
// Installs a clipboard (nullptr: the system's again); returns the one it replaces.
Clipboard* setClipboard(Clipboard* clipboard);

} // namespace ui
