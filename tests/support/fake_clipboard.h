#pragma once
// A clipboard of the test's own, installed for the object's lifetime.
#include "platform/ui/clipboard.h"

namespace support {

class FakeClipboard : public ui::Clipboard {
public:
    FakeClipboard() : previous_(ui::setClipboard(this)) {}
    ~FakeClipboard() override { ui::setClipboard(previous_); }
    FakeClipboard(const FakeClipboard&) = delete;
    FakeClipboard& operator=(const FakeClipboard&) = delete;

    void Clear() override { text_.clear(); ++clears_; }
    void SetText(const QString& text) override { text_ = text; }
    QString GetText() const override { return text_; }
    int clears() const { return clears_; }

private:
    ui::Clipboard* previous_;
    QString text_;
    int clears_ = 0;
};

} // namespace support
