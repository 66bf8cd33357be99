#include "ovshortcuteditor.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCursor>
#include <QDataStream>
#include <QFocusEvent>
#include <QLoggingCategory>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "keyactions/keycapture.h"
#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcutcell.h"
#include "keyactions/recordvalues.h"
#include "keyactions/shortcuttexts.h"
#include "keyactions/valuetransformer.h"
#include "platform/qtkeycodes.h"
#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"

Q_LOGGING_CATEGORY(lcRecorder, "ov.keyactions.recorder")

namespace keyactions {

namespace {

const QString kValueBinding = QStringLiteral("value");
// Where the binding's failures are logged, as the lines have always read.
constexpr char kPushedFrom[] = "-[OVShortcutEditor shortcutCell:keyComboDidChange:]";

constexpr int kHeight = 22; // pixels: the field is always this high
constexpr int kMinimumWidth = 50;
constexpr int kPreferredWidth = 160;

// The recorder for assistive technologies: a button whose value is the
// recorded shortcut; pressing it starts (or ends) recording, and a second
// action clears the shortcut.
class OVShortcutEditorAccessible : public QAccessibleWidget
{
public:
    explicit OVShortcutEditorAccessible(OVShortcutEditor *editor)
        : QAccessibleWidget(editor, QAccessible::Button)
    { }

    OVShortcutEditor *editor() const { return static_cast<OVShortcutEditor *>(widget()); }
    QString tr(const char *english) const
    {
        return shortcutText(editor()->transformer().strings(), QLatin1String(english));
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            const QString name = QAccessibleWidget::text(t);
            return name.isEmpty() ? tr("Shortcut") : name;
        }
        case QAccessible::Value:
            return editor()->keyComboString().value_or(QString());
        case QAccessible::Description: {
            const QString description = QAccessibleWidget::text(t);
            return description.isEmpty() ? editor()->shownText() : description;
        }
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = editor()->isEditing();
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names { pressAction() };
        if (!editor()->isEditing() && editor()->keyComboString())
            names << removeAction();
        return names;
    }

    QString localizedActionDescription(const QString &name) const override
    {
        if (name == pressAction())
            return editor()->isEditing() ? tr("Stop recording and keep the shortcut")
                                         : tr("Record a shortcut");
        if (name == removeAction())
            return tr("Remove the shortcut");
        return QString();
    }

    void doAction(const QString &name) override
    {
        if (!editor()->isEnabled())
            return;
        if (name == pressAction()) {
            editor()->setFocus(Qt::OtherFocusReason);
            if (editor()->isEditing())
                editor()->cancelRecording();
            else
                editor()->startRecording();
        } else if (name == removeAction()) {
            editor()->removeShortcut();
        }
    }

    QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name == pressAction())
            return { QStringLiteral("Space") };
        return {};
    }

    static QString removeAction() { return QStringLiteral("Remove"); }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("keyactions::OVShortcutEditor") && object && object->isWidgetType())
        return new OVShortcutEditorAccessible(static_cast<OVShortcutEditor *>(object));
    return nullptr;
}

} // namespace

OVShortcutEditor::OVShortcutEditor(const OVKeyCodeTransformer &transformer, platform::RunLoop &runLoop,
    platform::UserDefaults &defaults, platform::Alerts &alerts, QWidget *parent)
    : QWidget(parent)
    , m_transformer(transformer)
    , m_runLoop(runLoop)
    , m_defaults(defaults)
    , m_alerts(alerts)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    m_cell = std::make_unique<OVShortcutCell>(*this, transformer, runLoop, defaults, alerts);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMinimumWidth(kMinimumWidth);
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

OVShortcutEditor::~OVShortcutEditor()
{
    // The cell ends its ticks and gives the keyboard back.
    m_cell.reset();
}

void OVShortcutEditor::encodeWithCoder(QVariantMap &coder) const
{
    m_cell->encodeWithCoder(coder);
}

void OVShortcutEditor::encodeWithCoder(QDataStream &coder) const
{
    m_cell->encodeWithCoder(coder);
}

void OVShortcutEditor::initWithCoder(const QVariantMap &coder)
{
    m_cell.reset();
    m_cell = std::make_unique<OVShortcutCell>(*this, m_transformer, m_runLoop, m_defaults, m_alerts);
    m_cell->initWithCoder(coder);
    resetTrackingRects();
    update();
}

bool OVShortcutEditor::initWithCoder(QDataStream &coder)
{
    auto cell = std::make_unique<OVShortcutCell>(*this, m_transformer, m_runLoop, m_defaults, m_alerts);
    if (!cell->initWithCoder(coder))
        return false;
    m_cell.reset();
    m_cell = std::move(cell);
    resetTrackingRects();
    update();
    return true;
}

void OVShortcutEditor::bind(
    const QString &binding, QObject *observable, const QString &keyPath, const BindingOptions &options)
{
    if (binding == kValueBinding)
        m_valueBinding = ValueBinding { observable, keyPath, options };
}

void OVShortcutEditor::unbind(const QString &binding)
{
    if (binding == kValueBinding)
        m_valueBinding.reset();
}

QMetaType OVShortcutEditor::valueClassForBinding(const QString &binding)
{
    return binding == kValueBinding ? QMetaType::fromType<QVariantMap>() : QMetaType();
}

int OVShortcutEditor::style() const
{
    return m_cell->style();
}

void OVShortcutEditor::setStyle(int style)
{
    m_cell->setStyle(style);
}

bool OVShortcutEditor::animates() const
{
    return m_cell->animates();
}

void OVShortcutEditor::setAnimates(bool animates)
{
    m_cell->setAnimates(animates);
}

QSize OVShortcutEditor::sizeHint() const
{
    return QSize(kPreferredWidth, kHeight);
}

QSize OVShortcutEditor::minimumSizeHint() const
{
    return QSize(kMinimumWidth, kHeight);
}

std::optional<QVariantMap> OVShortcutEditor::objectValue() const
{
    const KeyCombo combo = m_cell->keyCombo();
    if (combo.code == -1)
        return std::nullopt;
    QVariantMap value;
    const QString characters = m_cell->keyCharsIgnoringModifiers();
    if (!characters.isEmpty())
        value.insert(store::kRecorderCharacters, characters);
    value.insert(store::kRecorderKeyCode, combo.code);
    value.insert(store::kRecorderModifierFlags, combo.flags);
    return value;
}

void OVShortcutEditor::setObjectValue(const QVariant &value)
{
    const std::optional<QVariantMap> map = store::dictionaryValue(value);
    const std::optional<qint64> code
        = map ? recordvalues::integerOfNumber(map->value(store::kRecorderKeyCode)) : std::nullopt;
    const std::optional<qint64> flags
        = map ? recordvalues::integerOfNumber(map->value(store::kRecorderModifierFlags)) : std::nullopt;
    if (code && flags)
        m_cell->setKeyCombo(KeyCombo { quint64(*flags), *code });
    else
        m_cell->setKeyCombo(KeyCombo { 0, -1 });
}

void OVShortcutEditor::setObjectValue(const QVariantMap &value)
{
    setObjectValue(QVariant(value));
}

void OVShortcutEditor::setObjectValue(const std::optional<QVariantMap> &value)
{
    setObjectValue(value ? QVariant(*value) : QVariant());
}

KeyCombo OVShortcutEditor::keyCombo() const
{
    return m_cell->keyCombo();
}

void OVShortcutEditor::setKeyCombo(KeyCombo combo)
{
    m_cell->setKeyCombo(combo);
}

std::optional<QString> OVShortcutEditor::keyComboString() const
{
    return m_cell->keyComboString();
}

QString OVShortcutEditor::keyChars() const
{
    return m_cell->keyChars();
}

QString OVShortcutEditor::keyCharsIgnoringModifiers() const
{
    return m_cell->keyCharsIgnoringModifiers();
}

quint64 OVShortcutEditor::allowedFlags() const
{
    return m_cell->allowedFlags();
}

void OVShortcutEditor::setAllowedFlags(quint64 flags)
{
    m_cell->setAllowedFlags(flags);
}

quint64 OVShortcutEditor::requiredFlags() const
{
    return m_cell->requiredFlags();
}

void OVShortcutEditor::setRequiredFlags(quint64 flags)
{
    m_cell->setRequiredFlags(flags);
}

bool OVShortcutEditor::allowsKeyOnly() const
{
    return m_cell->allowsKeyOnly();
}

void OVShortcutEditor::setAllowsKeyOnly(bool allows)
{
    m_cell->setAllowsKeyOnly(allows, false);
}

void OVShortcutEditor::setAllowsKeyOnly(bool allows, bool escapeKeys)
{
    m_cell->setAllowsKeyOnly(allows, escapeKeys);
}

bool OVShortcutEditor::escapeKeys() const
{
    return m_cell->escapeKeys();
}

void OVShortcutEditor::setEscapeKeys(bool escapeKeys)
{
    m_cell->setEscapeKeys(escapeKeys);
}

bool OVShortcutEditor::canCaptureGlobalHotKeys() const
{
    return m_cell->canCaptureGlobalHotKeys();
}

void OVShortcutEditor::setCanCaptureGlobalHotKeys(bool capture)
{
    m_cell->setCanCaptureGlobalHotKeys(capture);
}

QString OVShortcutEditor::autosaveName() const
{
    return m_cell->autosaveName();
}

void OVShortcutEditor::setAutosaveName(const QString &name)
{
    m_cell->setAutosaveName(name);
}

bool OVShortcutEditor::isEditing() const
{
    return m_cell->isEditing();
}

void OVShortcutEditor::startRecording()
{
    if (!m_cell->isEditing())
        m_cell->startEditingTransition();
}

void OVShortcutEditor::cancelRecording()
{
    if (m_cell->isEditing())
        m_cell->endEditingTransition();
}

void OVShortcutEditor::removeShortcut()
{
    if (!m_cell->isEditing())
        m_cell->setKeyCombo(KeyCombo { 0, -1 });
}

QString OVShortcutEditor::shownText() const
{
    return m_cell->shownText();
}

void OVShortcutEditor::resetTrackingRects()
{
    const QPoint mouse = mapFromGlobal(QCursor::pos());
    m_cell->resetTrackingRects(
        underMouse() ? std::optional<QPointF>(mouse) : std::nullopt, rect(), isEnabled());
}

bool OVShortcutEditor::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ApplicationPaletteChange:
        // The desktop's colours changed: style 0's gradient follows them.
        m_cell->createGradient();
        update();
        break;
    case QEvent::ShortcutOverride:
        // While recording every key is ours: the application's shortcuts
        // must not fire on the combination being recorded.
        if (m_cell->isEditing()) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        // Tab is recorded like any key while recording, not a focus move.
        if (m_cell->isEditing()) {
            keyPressEvent(static_cast<QKeyEvent *>(event));
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void OVShortcutEditor::keyPressEvent(QKeyEvent *event)
{
    // A key held down is one press: the Space that started recording, held
    // a little long, must not be recorded by its repeats.
    if (event->isAutoRepeat() && m_cell->isEditing()) {
        event->accept();
        return;
    }
    const CapturedKey key = captureKeyEvent(*event, m_transformer);
    if (key.modifierKey) {
        m_cell->flagsChanged(key.flags);
        event->setAccepted(m_cell->isEditing());
        return;
    }
    if (m_cell->performKeyEquivalent(key, hasFocus(), isEnabled())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OVShortcutEditor::keyReleaseEvent(QKeyEvent *event)
{
    const CapturedKey key = captureKeyEvent(*event, m_transformer);
    if (key.modifierKey) {
        m_cell->flagsChanged(key.flags);
        event->setAccepted(m_cell->isEditing());
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void OVShortcutEditor::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_cell->mousePressed(event->position(), rect(), isEnabled());
}

void OVShortcutEditor::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        m_cell->mouseDragged(event->position(), rect());
    else
        m_cell->mouseMoved(event->position(), rect(), isEnabled());
}

void OVShortcutEditor::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_cell->mouseReleased(event->position(), rect(), isEnabled());
}

void OVShortcutEditor::leaveEvent(QEvent *event)
{
    m_cell->resetTrackingRects(std::nullopt, rect(), isEnabled());
    update();
    QWidget::leaveEvent(event);
}

void OVShortcutEditor::focusInEvent(QFocusEvent *event)
{
    resetTrackingRects();
    update();
    QWidget::focusInEvent(event);
}

void OVShortcutEditor::focusOutEvent(QFocusEvent *event)
{
    // Another window coming to the front (the refusal's alert among them)
    // leaves the recorder the focus of its own window, and recording goes
    // on; focus moving to another control of the window ends it.
    if (m_cell->isEditing() && event->reason() != Qt::ActiveWindowFocusReason
        && event->reason() != Qt::PopupFocusReason)
        m_cell->endEditingTransition();
    resetTrackingRects();
    update();
    QWidget::focusOutEvent(event);
}

void OVShortcutEditor::resizeEvent(QResizeEvent *event)
{
    resetTrackingRects();
    QWidget::resizeEvent(event);
}

void OVShortcutEditor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        resetTrackingRects();
        update();
    }

    QWidget::changeEvent(event);
}

void OVShortcutEditor::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_cell->drawWithFrame(painter, rect(), isEnabled());
    if (hasFocus()) {
        // The focus ring follows the capsule.
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF ring = QRectF(rect()).adjusted(1, 1, -1, -1);
        QPainterPath path;
        path.addRoundedRect(ring, ring.height() / 2, ring.height() / 2);
        QColor highlight = palette().color(QPalette::Highlight);
        highlight.setAlphaF(0.8f);
        painter.setPen(QPen(highlight, 2));
        painter.drawPath(path);
    }
}

bool OVShortcutEditor::isKeyCodeAndFlagsTaken(qint64 keyCode, quint64 flags, QString *reason)
{
    bool taken = false;
    emit shortcutEditorIsKeyCodeAndFlagsTaken(this, keyCode, flags, &taken, reason);
    return taken;
}

void OVShortcutEditor::keyComboDidChange(KeyCombo combo)
{
    emit shortcutEditorKeyComboDidChange(this, combo);
    pushBoundValue();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent change(this, keyComboString().value_or(QString()));
        QAccessible::updateAccessibility(&change);
    }
}

void OVShortcutEditor::pushBoundValue()
{
    if (!m_valueBinding)
        return;
    const std::optional<QVariantMap> objectValue = this->objectValue();
    QVariant value = objectValue ? QVariant(*objectValue) : QVariant();
    const BindingOptions &options = m_valueBinding->options;
    const ValueTransformer *transformer = options.valueTransformer;
    if (!transformer && !options.valueTransformerName.isEmpty())
        transformer = ValueTransformer::valueTransformerForName(options.valueTransformerName);
    if (transformer) {
        if (transformer->allowsReverseTransformation())
            value = transformer->reverseTransformedValue(value);
        else
            qCWarning(lcRecorder,
                "WARNING: value has value transformer, but it doesn't allow reverse transformations in %s",
                kPushedFrom);
    }
    QObject *observed = m_valueBinding->observed.data();
    if (!observed) {
        qCWarning(lcRecorder, "ERROR: NSObservedObjectKey was nil for value binding in %s", kPushedFrom);
        return;
    }
    if (m_valueBinding->keyPath.isEmpty()) {
        qCWarning(lcRecorder, "ERROR: NSObservedKeyPathKey was nil for value binding in %s", kPushedFrom);
        return;
    }
    observed->setProperty(m_valueBinding->keyPath.toUtf8().constData(), value);
}

void OVShortcutEditor::redraw()
{
    update();
}

void OVShortcutEditor::makeFirstResponder()
{
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
}

void OVShortcutEditor::editingDidChange()
{
    if (QAccessible::isActive()) {
        QAccessible::State pressed;
        pressed.pressed = true;
        QAccessibleStateChangeEvent change(this, pressed);
        QAccessible::updateAccessibility(&change);
    }
}

quint64 OVShortcutEditor::pushSymbolicHotKeyMode()
{
    // An active keyboard grab of the recorder's window (on X11 through the
    // platform window): the server then hands every key to it, and the
    // passive key grabs of other programs, the desktop's shortcuts, do not
    // fire.
    grabKeyboard();
    return ++m_hotKeyModeToken;
}

void OVShortcutEditor::popSymbolicHotKeyMode(quint64 token)
{
    if (token == m_hotKeyModeToken && keyboardGrabber() == this)
        releaseKeyboard();
}

quint64 OVShortcutEditor::currentModifierFlags() const
{
    return platform::macFlagsForQtModifiers(QGuiApplication::queryKeyboardModifiers());
}

void OVShortcutEditor::beep()
{
    QApplication::beep();
}

} // namespace keyactions
