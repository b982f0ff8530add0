#include "ui/widgets/FitAudit.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <map>

namespace kelm {
namespace {

// The class and object name, and the parent's when the widget has no name of its own.
QString Name(const QWidget& widget) {
    const QString name = widget.objectName();
    const QString own = QString::fromLatin1(widget.metaObject()->className()) +
                        (name.isEmpty() ? QString() : QLatin1Char(' ') + name);
    if (!name.isEmpty() || widget.parentWidget() == nullptr)
        return own;
    return Name(*widget.parentWidget()) + QLatin1Char('/') + own;
}

QString Problem(const QWidget& widget, const QString& text, int need, int have) {
    return QStringLiteral("%1: \"%2\" needs %3, has %4")
        .arg(Name(widget), text)
        .arg(need)
        .arg(have);
}

int TextWidth(const QWidget& widget, const QString& text) {
    return widget.fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

void CheckLabel(const QLabel& label, QStringList& out) {
    if (label.text().isEmpty())
        return;
    if (label.wordWrap()) {
        const int need = label.heightForWidth(label.width());
        if (need > label.height())
            out << Problem(label, label.text(), need, label.height());
        return;
    }
    const QSize need = label.minimumSizeHint();
    if (need.width() > label.width() || need.height() > label.height())
        out << Problem(label, label.text(), need.width(), label.width());
}

void CheckPushButton(const QPushButton& button, QStringList& out) {
    if (button.text().isEmpty())
        return;
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    int need = TextWidth(button, button.text());
    if (!button.icon().isNull())
        need += button.iconSize().width() + 4;
    if (need > contents.width())
        out << Problem(button, button.text(), need, contents.width());
}

void CheckComboBox(const QComboBox& combo, QStringList& out) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, &combo);
    for (int i = 0; i < combo.count(); ++i) {
        const int need = combo.fontMetrics().horizontalAdvance(combo.itemText(i));
        if (need > field.width())
            out << Problem(combo, combo.itemText(i), need, field.width());
    }
}

void CheckTable(const QTableView& table, QStringList& out) {
    QAbstractItemModel* model = table.model();
    if (model == nullptr)
        return;
    const int grid = table.showGrid() ? 1 : 0;
    QStyleOptionViewItem option;
    option.initFrom(&table);
    option.font = table.font();
    option.fontMetrics = table.fontMetrics();
    option.widget = &table;
    for (int column = 0; column < model->columnCount(); ++column) {
        if (table.isColumnHidden(column))
            continue;
        const int have = table.columnWidth(column) - grid;
        const QHeaderView* header = table.horizontalHeader();
        if (header->isVisible() && header->sectionSizeHint(column) > header->sectionSize(column))
            out << Problem(*header, model->headerData(column, Qt::Horizontal).toString(),
                           header->sectionSizeHint(column), header->sectionSize(column));
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, column);
            const int need = table.itemDelegateForIndex(index)->sizeHint(option, index).width();
            if (!table.isRowHidden(row) && need > have)
                out << Problem(table, index.data().toString(), need, have);
        }
    }
}

// Children of a scroll area's viewport scroll; every other child must lie inside its parent.
bool Scrolls(const QWidget& widget) {
    const QWidget* parent = widget.parentWidget();
    const auto* area =
        parent ? qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) : nullptr;
    return area != nullptr && area->viewport() == parent;
}

// narrow: the window is held narrower than its content (the screen is too small): lists
// may scroll sideways then.
void CheckWidget(QWidget& widget, bool narrow, QStringList& out) {
    if (!widget.isWindow() && !widget.rect().isEmpty() && !Scrolls(widget) &&
        !widget.parentWidget()->rect().contains(widget.geometry()))
        out << QStringLiteral("%1: at (%2, %3) %4x%5, outside its parent's %6x%7")
                   .arg(Name(widget))
                   .arg(widget.x())
                   .arg(widget.y())
                   .arg(widget.width())
                   .arg(widget.height())
                   .arg(widget.parentWidget()->width())
                   .arg(widget.parentWidget()->height());
    if (auto* label = qobject_cast<QLabel*>(&widget))
        CheckLabel(*label, out);
    else if (auto* button = qobject_cast<QPushButton*>(&widget))
        CheckPushButton(*button, out);
    else if (qobject_cast<QCheckBox*>(&widget) || qobject_cast<QRadioButton*>(&widget) ||
             qobject_cast<QToolButton*>(&widget)) {
        const auto& text = static_cast<QAbstractButton&>(widget).text();
        if (widget.sizeHint().width() > widget.width())
            out << Problem(widget, text, widget.sizeHint().width(), widget.width());
    } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
        if (group->minimumSizeHint().width() > group->width())
            out << Problem(widget, group->title(), group->minimumSizeHint().width(),
                           group->width());
    } else if (auto* combo = qobject_cast<QComboBox*>(&widget))
        CheckComboBox(*combo, out);
    else if (auto* table = qobject_cast<QTableView*>(&widget))
        CheckTable(*table, out);
    // A list may scroll down, but a column out of sight to the right is cut.
    if (auto* area = qobject_cast<QAbstractItemView*>(&widget);
        area != nullptr && !narrow && area->horizontalScrollBar()->isVisible())
        out << QStringLiteral("%1: scrolls sideways").arg(Name(widget));
}

void Walk(QWidget& widget, bool narrow, QStringList& out) {
    CheckWidget(widget, narrow, out);
    for (QObject* child : widget.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w != nullptr && !w->isWindow() && !w->isHidden())
            Walk(*w, narrow, out);
    }
}

} // namespace

QStringList FitProblems(QWidget& window, QSize room) {
    QStringList out;
    const QSize need = window.sizeHint().expandedTo(window.minimumSizeHint()).boundedTo(room);
    if (need.width() > window.width() || need.height() > window.height())
        out << QStringLiteral("%1: opens at %2x%3, its content needs %4x%5")
                   .arg(Name(window))
                   .arg(window.width())
                   .arg(window.height())
                   .arg(need.width())
                   .arg(need.height());
    Walk(window, window.sizeHint().width() > room.width(), out);
    return out;
}

QStringList AcceleratorProblems(const QWidget& window) {
    QStringList texts, faults;
    // A dialog over the window has accelerators of its own: the keys reach one or the other.
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (button->window() == &window && button->isVisibleTo(&window) && button->isEnabled() &&
            button->text().contains('&'))
            texts << button->text();
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions())
            if (menu->isVisible())
                (menu->text().contains('&') ? texts : faults) << menu->text();
    std::map<QString, QStringList> users;
    for (const QString& text : texts)
        users[text.mid(text.indexOf('&') + 1, 1).toUpper()] << text;
    for (const auto& [key, list] : users)
        if (list.size() > 1)
            faults << list.join('|');
    return faults;
}

namespace {

// Checks each window (and MDI child window) shown, once its layout has settled.
class FitAuditFilter final : public QObject {
public:
    using QObject::QObject;
    // Layout requests are posted: a window is looked at once they have run.
    static constexpr int SettleMs = 200;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr &&
            (widget->isWindow() || qobject_cast<QMdiSubWindow*>(widget) != nullptr))
            QTimer::singleShot(SettleMs, widget, [window = QPointer<QWidget>(widget)] {
                if (window && window->isVisible())
                    Report(*window);
            });
        return false;
    }

private:
    static void Report(QWidget& window) {
        QSize room = window.screen() != nullptr ? window.screen()->availableSize() : QSize();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(&window); sub && sub->mdiArea())
            room = sub->mdiArea()->viewport()->size();
        for (const QString& problem : FitProblems(window, room))
            qWarning().noquote() << "Cut:" << window.windowTitle() << problem;
        for (const QString& problem : AcceleratorProblems(window))
            qWarning().noquote() << "Shared accelerator:" << window.windowTitle() << problem;
    }
};

} // namespace

void InstallFitAudit() {
    if (qEnvironmentVariableIsEmpty("KELM_FIT_CHECK") || qApp == nullptr)
        return;
    qApp->installEventFilter(new FitAuditFilter(qApp));
}

} // namespace kelm
