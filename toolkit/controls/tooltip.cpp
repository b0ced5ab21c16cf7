#include <QComboBox>
#include <QLineEdit>
#include <QTextDocument>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"

namespace toolkit {
namespace {

// Qt would take a tip that looks like markup as rich text; the tip must show
// exactly the characters it was given.
QString PlainTip(const char* text) {
    QString tip = text ? QString::fromUtf8(text) : QString();
    if (!Qt::mightBeRichText(tip))
        return tip;
    return QStringLiteral("<p style='white-space:pre'>") + tip.toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace

void SetControlTooltip(int number, const char* text) {
    Control* control = FindControl(number);
    if (!control || !control->widget())
        return;
    QString tip = PlainTip(text);
    control->widget()->setToolTip(tip);
    // The pointer may rest on an inner part of a composite control.
    if (auto* combo = qobject_cast<QComboBox*>(control->widget()))
        if (QLineEdit* inner = combo->lineEdit())
            inner->setToolTip(tip);
}

}  // namespace toolkit
