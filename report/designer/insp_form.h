#pragma once
// TqpInspForm, "Nesne bilgileri": the object inspector. A two-column grid of
// the properties of the selected objects (or of the current page when none
// is selected) with their values in readable form, an edit box over the
// current row's value, an editor button, a drop-down list for booleans,
// colours and enumerations, and the object box above the grid. Changed
// values are applied to the objects through the designer's commands.

#include "report/core/variant.h"
#include "report/designer/designer_commands.h"
#include "report/model/object.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QToolButton;
class TqpDesignerState;
class TqpInspGrid;

// One row of the grid.
struct TProp {
    QString Text;             // the value as shown
    TqpDataTypes DataType = 0;
    TqpPropEditor Editor;
    QStringList Enum;         // item names of an enumeration
    QList<Variant> EnumValues; // the values they stand for; empty = none

    bool Has(TqpDataType t) const { return DataType & (1u << t); }
    // The value in the form the inspector shows it.
    void SetValue(const Variant &v);
    // The shown text as a value of the row's type; a text that does not
    // convert raises EConvertError.
    Variant GetValue() const;
};

class TqpInspForm : public QWidget {
    Q_OBJECT
    friend class TqpInspGrid;

public:
    explicit TqpInspForm(TqpDesignerState *state, QWidget *parent = nullptr);

    TqpDesignerState *const State;
    TqpDesignerCommands Commands;

    void ClearProperties();
    void AddProperty(const QString &name, const Variant &value, TqpDataTypes types, const TqpPropEditor &editor,
                     const QStringList &enumItems, const QList<Variant> &enumValues);
    Variant GetPropValue(int row) const { return m_props.at(row).GetValue(); }
    void SetPropValue(int row, const Variant &value) { m_props[row].SetValue(value); }
    // Re-lays the grid, makes the row with the remembered name current (else
    // the first) and refreshes the object box.
    void ItemsChanged();
    // Refills the grid from the selection or the current page.
    void FillInspFields();
    // Shows the inspector, unfolded.
    void Grow();
    // Folded, only the caption is left: the object box and the grid are
    // hidden. Both changes tell the designer through heightChanged.
    bool IsFolded() const { return m_folded; }
    void SetFolded(bool folded);

    int RowCount() const { return int(m_names.size()); }
    QString RowName(int row) const { return m_names.at(row); }
    // The name as the grid shows it.
    QString displayName(int row) const;
    const TProp &Row(int row) const { return m_props.at(row); }
    int RowOf(const QString &name) const;
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int index);
    // Puts `text` into the current row and applies it.
    void SetItemValue(const QString &text);
    int RowHeight() const { return m_rowHeight; }
    int SplitPos() const { return m_splitPos; }
    void SetSplitPos(int pos);
    // With localised names on, a property that has an alias is shown under it.
    void SetLocalizedNames(bool on);
    // What the title shows: the one object's name, "PageN", empty for several.
    QString TitleName() const { return m_titleName; }

    QLineEdit *EditBox() const { return m_edit; }
    QToolButton *EditorButton() const { return m_editorButton; }
    QToolButton *DropButton() const { return m_dropButton; }
    QListWidget *DropList() const { return m_dropList; }
    QComboBox *ObjectBox() const { return m_objectBox; }
    QWidget *Grid() const;

    // The row's own action on a double click: the editor, the colour
    // dialog, a toggle or the next item, applied at once.
    void RowDoubleClick(int row);
    void ShowDropList();
    // Wide enough for the longest property names beside their values.
    QSize sizeHint() const override;

signals:
    void heightChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyEdit();
    void placeEditor();
    void openEditor(int row);
    void refillObjectBox();
    // A changed text is applied when the inspector loses the focus, unless
    // the row is one whose value is picked rather than typed.
    bool typedRow(int row) const;

    QList<TProp> m_props;
    QStringList m_names;
    int m_itemIndex = -1;
    int m_rowHeight = 16;
    int m_splitPos = 75;
    QString m_currentName;
    TqpObject *m_titleObject = nullptr;
    QString m_titleName;
    bool m_applying = false;
    bool m_localizedNames = false;
    bool m_folded = false;

    QComboBox *m_objectBox;
    QScrollArea *m_scroll;
    TqpInspGrid *m_grid;
    QLineEdit *m_edit;
    QToolButton *m_editorButton;
    QToolButton *m_dropButton;
    QListWidget *m_dropList;
};
