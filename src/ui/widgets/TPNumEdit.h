#pragma once

#include <QLineEdit>
#include <cstdint>
#include <functional>

class QKeyEvent;

namespace kelm {

// The one-line numeric entry of the parameter pages, the oscilloscope and the profile
// editor. It keeps an integer value in units of 10^-Dec, limits it while the user types,
// shows it formatted and hands Enter and leaving the field to the page. Pages bind it to a
// register through its tag (see FieldBinding.h and PageFields).
class TPNumEdit : public QLineEdit {
    Q_OBJECT
public:
    // Page handlers. The key handler runs for every key the filter lets through (Enter
    // included) before the box handles it; returning true swallows the key.
    using ChangeHandler = std::function<void(TPNumEdit&)>;
    using KeyHandler = std::function<bool(TPNumEdit&, QKeyEvent&)>;
    using ExitHandler = std::function<void(TPNumEdit&)>;

    explicit TPNumEdit(QWidget* parent = nullptr);

    // Accessors under their usual names. WrValore stores and clamps to both limits;
    // WrMin/WrMax only store the limit (callers set the value again afterwards).
    std::int32_t RdDec() const { return dec_; }
    void WrDec(std::int32_t dec);
    std::int32_t RdMin() const { return valMin_; }
    void WrMin(std::int32_t value);
    std::int32_t RdMax() const { return valMax_; }
    void WrMax(std::int32_t value);
    std::int32_t RdValore() const;
    void WrValore(std::int32_t value);
    // Shows a number the program holds as it is, even outside the limits: such a number is
    // marked (its own background, the limits in the tooltip) and stays until the user edits
    // the field; neither leaving the field nor Enter clamps it.
    void ShowNumber(std::int32_t value);
    bool OutOfLimits() const { return value_ < valMin_ || value_ > valMax_; }
    // "Limits: 0 … 300", in the field's format; also the field's tooltip.
    QString LimitNote() const;
    std::int64_t Value() const { return value_; }
    bool IsNegative() const { return isNegative_; }
    void SetIsNegative(bool allowed) { isNegative_ = allowed; }
    QString FormatText() const;

    // Clamp to both limits and show; clamp to the lower limit only (shown when changed).
    void ChkVal();
    void ChkValMin();
    // Shows the value formatted; the focused field selects the whole text for typing over,
    // any other shows it unselected so that its colour stays visible.
    void SetVal2Text();
    // Empties the text without reading it as a number (a disabled field shows nothing).
    void ShowEmpty();

    // True between the first typed change and Enter, leaving the field, Escape or a new
    // value set by the program.
    bool EditPending() const { return editing_; }
    // True once the user typed into the field since the program last set or showed its
    // number (Escape puts back what it was before the pending edit).
    bool Edited() const { return edited_; }
    // The edit was taken over (stored by the page): the field counts as unedited again.
    void ClearEdited() { edited_ = false; }
    // Commits a pending edit as leaving the field would (clamp, then the exit handler).
    void CommitEdit();
    // Escape: the value and mark the field had before the edit.
    void RevertEdit();
    // Commits the pending edit of the field that has the keyboard focus, if it is one.
    static void CommitFocusedEdit();

    // The register binding (a 16-bit address or a packed pair).
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    void SetChangeHandler(ChangeHandler handler) { onChange_ = std::move(handler); }
    void SetKeyHandler(KeyHandler handler) { onKey_ = std::move(handler); }
    void SetExitHandler(ExitHandler handler) { onExit_ = std::move(handler); }

    // The change mark: red text while the register's Value differs from its DriveValue.
    void SetMarked(bool marked);
    bool IsMarked() const { return marked_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool KeyRefused(const QKeyEvent& event, QChar ch) const;
    void TextChanged();
    void NotANumber();
    // A number typed past a limit was replaced by the limit: shown with the caret at the end
    // (the next digit cannot replace it) and the limits named.
    void ShowLimited();
    QString Formatted(std::int64_t value) const;
    // Text colour by the mark, background and tooltip by the limits.
    void Paint();
    std::int64_t Scale() const;

    std::int32_t dec_ = 0;
    std::int32_t valMin_ = 0;
    std::int32_t valMax_ = 100;
    std::int64_t value_ = 0;
    bool isNegative_ = false;
    int tag_ = 0;
    bool marked_ = false;
    bool editing_ = false;
    bool edited_ = false;
    bool blank_ = false; // ShowEmpty: no number shown
    std::int64_t valueBeforeEdit_ = 0;
    bool markedBeforeEdit_ = false;
    bool editedBeforeEdit_ = false;
    int showing_ = 0; // inside our own setText: the page's change handler stays quiet
    ChangeHandler onChange_;
    KeyHandler onKey_;
    ExitHandler onExit_;
};

} // namespace kelm
