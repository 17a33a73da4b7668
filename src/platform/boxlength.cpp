#include "platform/boxlength.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVariant>

#include <algorithm>

namespace kelm {

namespace {
// The field's own length, kept on the box for the texts the program puts in it.
const char *const kLengthProperty = "kelmFieldLength";
} // namespace

void limitTyping(QLineEdit *box, int length)
{
    box->setProperty(kLengthProperty, length);
    box->setMaxLength(std::max(length, int(box->text().size())));
}

void limitTyping(QComboBox *box, int length)
{
    QLineEdit *edit = box->lineEdit();
    if (!edit)
        return;
    limitTyping(edit, length);
    // The list puts a picked entry into its text cut at the limit; a longer
    // entry (stored elsewhere) is put in again whole.
    auto whole = [box](int i) {
        if (i >= 0 && box->lineEdit())
            setWholeText(box->lineEdit(), box->itemText(i));
    };
    QObject::connect(box, &QComboBox::currentIndexChanged, box, whole);
    QObject::connect(box, &QComboBox::activated, box, whole);
}

void setWholeText(QLineEdit *box, const QString &text)
{
    const QVariant length = box->property(kLengthProperty);
    if (length.isValid())
        box->setMaxLength(std::max(length.toInt(), int(text.size())));
    box->setText(text);
}

void setWholeText(QComboBox *box, const QString &text)
{
    if (QLineEdit *edit = box->lineEdit())
        setWholeText(edit, text);
    else
        box->setEditText(text);
}

} // namespace kelm
