#pragma once
// The band editors: a data band's data source (a report data set, or a
// number of empty records) and child band; a group header's condition,
// the data band it groups and its child band; a cross-tab data band's data
// source and the column data sets of the horizontal bands.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class TqpBandView;
class TqpDataDictionary;
class TqpDesignerState;
class TqpPage;

class TqpBandEditorForm : public QDialog {
    Q_OBJECT
public:
    TqpBandEditorForm(TqpBandView *band, TqpPage *page, const TqpDataDictionary &dictionary,
                      QWidget *parent = nullptr);

    // Data bands and cross-tab data bands.
    QComboBox *DataSource = nullptr;
    QCheckBox *Virtual = nullptr;
    QSpinBox *RecordCount = nullptr;
    // Group headers.
    QLineEdit *Condition = nullptr;
    QComboBox *Master = nullptr;
    // Every band but the cross-tab ones.
    QComboBox *ChildBand = nullptr;
    // Cross-tab data bands: one row per horizontal band, its column data set.
    QTableWidget *ColumnDataSets = nullptr;

    // What the band's data source text (or condition) becomes.
    QString SourceText() const;
    QString ChildBandName() const;
    QString MasterName() const;

private:
    // "(yok)" and the report data sets, by their aliases.
    QComboBox *dataSourceBox();
    QString realSource(const QComboBox *box) const;
    void selectSource(QComboBox *box, const QString &realName) const;

    TqpBandView *m_band;
    const TqpDataDictionary &m_dictionary;
};

// Opens the editor that fits the band's type and, on OK, records the change
// for undo and applies it; true when it was confirmed.
bool qpShowBandEditor(TqpBandView *band, TqpDesignerState *state, QWidget *parent = nullptr);
