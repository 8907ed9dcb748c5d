#pragma once
// "Tablodan rapora alan ekleme (sihirbaz)": lays out text objects for
// chosen fields of a data set, each with a bold caption when asked, side
// by side or one under the other, with a page header and master data band
// around them when asked. On a page that already has bands nothing lands on
// its content: the captions join the page header and the data objects the
// master data band, below what they hold (bands grow and what lies below
// moves down), or the new bands go below the lowest band; with a page header
// already there the captions get a master header.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;
class QRadioButton;
class TqpDesignerCommands;

class TqpInsertFieldsForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpInsertFieldsForm(TqpDesignerCommands &commands, QWidget *parent = nullptr);

    QComboBox *DataSetBox() const { return m_dataSets; }
    QListWidget *FieldList() const { return m_fields; }
    QRadioButton *VerticalButton() const { return m_vertical; }
    QCheckBox *HeadersBox() const { return m_headers; }
    QCheckBox *BandsBox() const { return m_bands; }

    // Shows the wizard and, on OK with a data set and a chosen field, lays out the fields.
    static void Run(TqpDesignerCommands &commands, QWidget *parent = nullptr);
    // The layout itself, for the named data set (as the dictionary lists it).
    static void InsertFields(TqpDesignerCommands &commands, const QString &dataSet, const QStringList &fields,
                             bool vertical, bool headers, bool bands);

private:
    void fillFields();

    TqpDesignerCommands &m_commands;
    QComboBox *m_dataSets;
    QListWidget *m_fields;
    QRadioButton *m_horizontal, *m_vertical;
    QCheckBox *m_headers, *m_bands;
};
