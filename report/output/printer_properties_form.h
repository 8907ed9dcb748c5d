#pragma once
// "Özellikler" of the print dialog: the options of the printer's driver
// (paper, paper source, duplex, resolution and whatever else it offers),
// one list of choices each. The choices confirmed with "Tamam" go with the
// print jobs on that printer.

#include "platform_printers.h"

#include <QDialog>
#include <QMap>

class QComboBox;
class QPushButton;

class TqpPrinterPropertiesForm : public QDialog {
    Q_OBJECT
public:
    TqpPrinterPropertiesForm(const QString &printer, const TqpPlatformPrinters::OptionList &options,
                             const QMap<QString, QString> &choices, QWidget *parent = nullptr);

    // The choice list of an option, by its keyword; none when not offered.
    QComboBox *Choices(const QString &keyword) const;
    // The keyword of the choice each option shows.
    QMap<QString, QString> Chosen() const;

    QPushButton *Button1, *Button2; // "Tamam", "Vazgeç"

    // Shows the dialog through the modal seam; true with `choices` updated
    // when confirmed. The printer platform calls it for "Özellikler".
    static bool Run(const QString &printer, const TqpPlatformPrinters::OptionList &options,
                    QMap<QString, QString> &choices);

private:
    QMap<QString, QComboBox *> m_lists;
};
