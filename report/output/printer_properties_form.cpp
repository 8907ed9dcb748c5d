#include "printer_properties_form.h"

#include "modal_seam.h"
#include "report/core/string_table.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

enum : int {
    kMsgOk = 55000,
    kMsgCancel = 55001,
    kMsgProperties = 53043, // "Özellikler"
};

// Our own captions for the options most drivers share; any other option
// keeps the driver's caption.
const QMap<QString, int> &knownCaptions()
{
    static const QMap<QString, int> captions{
        {QStringLiteral("PageSize"), 59320},   {QStringLiteral("InputSlot"), 59321},
        {QStringLiteral("Duplex"), 59322},     {QStringLiteral("Resolution"), 59323},
        {QStringLiteral("MediaType"), 59324},  {QStringLiteral("ColorModel"), 59325},
    };
    return captions;
}

} // namespace

TqpPrinterPropertiesForm::TqpPrinterPropertiesForm(const QString &printer,
                                                   const TqpPlatformPrinters::OptionList &options,
                                                   const QMap<QString, QString> &choices, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("qpPrinterPropertiesForm"));
    setWindowTitle(qpLoadStr(kMsgProperties) + QStringLiteral(" - ") + printer);
    auto *outer = new QVBoxLayout(this);
    auto *area = new QScrollArea(this);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    auto *inner = new QWidget(area);
    auto *form = new QFormLayout(inner);
    for (const TqpPlatformPrinters::Option &option : options) {
        auto *list = new QComboBox(inner);
        list->setObjectName(option.keyword);
        for (const auto &[keyword, caption] : option.choices)
            list->addItem(caption, keyword);
        const int shown = list->findData(choices.value(option.keyword, option.defaultChoice));
        list->setCurrentIndex(std::max(shown, 0));
        const auto known = knownCaptions().constFind(option.keyword);
        const QString caption = known != knownCaptions().cend() ? qpLoadStr(*known) : option.text;
        form->addRow(caption + QLatin1Char(':'), list);
        m_lists.insert(option.keyword, list);
    }
    area->setWidget(inner);
    outer->addWidget(area);
    auto *buttons = new QDialogButtonBox(this);
    Button1 = buttons->addButton(qpLoadStr(kMsgOk), QDialogButtonBox::AcceptRole);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = buttons->addButton(qpLoadStr(kMsgCancel), QDialogButtonBox::RejectRole);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(buttons);
    resize(std::max(sizeHint().width(), 380), std::min(sizeHint().height() + 20, 560));
}

QComboBox *TqpPrinterPropertiesForm::Choices(const QString &keyword) const { return m_lists.value(keyword); }

QMap<QString, QString> TqpPrinterPropertiesForm::Chosen() const
{
    QMap<QString, QString> chosen;
    for (auto it = m_lists.cbegin(); it != m_lists.cend(); ++it)
        chosen.insert(it.key(), it.value()->currentData().toString());
    return chosen;
}

bool TqpPrinterPropertiesForm::Run(const QString &printer, const TqpPlatformPrinters::OptionList &options,
                                   QMap<QString, QString> &choices)
{
    TqpPrinterPropertiesForm form(printer, options, choices);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return false;
    choices = form.Chosen();
    return true;
}
