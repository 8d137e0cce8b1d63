#include "platform/ui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace ui {

namespace {
class SystemClipboard : public Clipboard {
public:
    void Clear() override
    {
        if (QClipboard* c = QGuiApplication::clipboard())
            c->clear();
    }
    void SetText(const QString& text) override
    {
        if (QClipboard* c = QGuiApplication::clipboard())
            c->setText(text);
    }
    QString GetText() const override
    {
        QClipboard* c = QGuiApplication::clipboard();
        return c ? c->text() : QString();
    }
};

Clipboard* installed = nullptr;
} // namespace

Clipboard& clipboard()
{
    static SystemClipboard system;
    return installed ? *installed : system;
}

Clipboard* setClipboard(Clipboard* clipboard)
{
    Clipboard* previous = installed;
    installed = clipboard;
    return previous;
}

} // namespace ui
