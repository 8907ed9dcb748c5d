#pragma once
// The picture editor: the picture shown at its own proportions, loading it
// from a file, clearing it, and how the object draws it (stretched,
// centred, keeping its aspect).

#include <QDialog>

#include <picture.h>

class QCheckBox;
class QLabel;
class TqpDesignerState;
class TqpPictureView;

class TqpPictureEditorForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpPictureEditorForm(TqpPictureView *view, QWidget *parent = nullptr);

    TPicture Picture; // the working copy; the object gets it on OK
    QLabel *Preview;
    QCheckBox *Stretched, *Center, *KeepAspect;

    // Asks for a file and loads it; an unreadable file leaves the picture
    // as it was and says so.
    void LoadPicture();
    void ClearPicture();
    // The object's flag word with the three boxes applied.
    quint16 FlagsFor(quint16 flags) const;

private:
    void showPicture();
};

// Opens the editor and, on OK, records the change for undo and applies it.
bool qpShowPictureEditor(TqpPictureView *view, TqpDesignerState *state, QWidget *parent = nullptr);
