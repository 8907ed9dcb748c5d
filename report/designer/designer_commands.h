#pragma once
// The designer's editing commands on the selection of the current page:
// select all, the clipboard, z-order, the alignment palette and fit to
// grid. Each records undo, leaves alone what the restrictions protect and
// tells the canvas and the window through the designer state's signals.

#include <QByteArray>
#include <QList>
#include <QPoint>

#include "report/core/variant.h"
#include "report/model/object.h"

class TqpDesignerState;
class TqpView;

// The MIME type under which copied objects travel on the system clipboard:
// a 32-bit count, then per object a 32-bit length and its stream (type
// code, class name, the object's template record).
inline constexpr char qpObjectsMimeType[] = "application/x-quillpress-objects";

// The alignment palette's commands in the palette's order.
enum TqpAlignCommand : int {
    acAlignLeft = 1,     // "Sol kenara göre hizalama"; packs a selected band's objects from the left
    acAlignHCenter,      // "Yatay merkeze göre hizalama"
    acCenterHorizontally, // "Yatay sayfaya ortalı"
    acSpaceHorizontally, // "Yatay ara boşlukları eşitle"
    acAlignRight,        // "Sag kenara göre hizalama"; packs from the right
    acAlignTop,          // "Yukarı kenara göre hizalama"
    acAlignVCenter,      // "Dikey merkeze göre hizalama"
    acCenterVertically,  // "Dikey sayfaya ortalı"
    acSpaceVertically,   // "Dikey ara boşlukları eşitle"
    acAlignBottom,       // "Aşağı kenara göre hizalama"
};

// Tags of the property toolbars' buttons and boxes: what DoClick changes.
enum TqpPropertyTag : int {
    ptFrameTop = 1, ptFrameLeft = 2, ptFrameBottom = 3, ptFrameRight = 4,
    ptFillColor = 5, ptFrameWidth = 6, ptFontName = 7, ptFontSize = 8,
    ptBold = 9, ptItalic = 10, ptUnderline = 18,
    ptAlignLeft = 11, ptAlignRight = 12, ptAlignCenter = 13, ptAlignJustify = 22,
    ptRotation = 14, ptVertical = 15, ptFontColor = 17, ptFrameColor = 19,
    ptAllFrames = 20, ptNoFrames = 21,
    ptLineStyle = 25, // 25-30: the line styles in their order
};

// A number typed with a comma or a full stop as decimal separator;
// EConvertError when it is none.
double qpTypedNumber(const QString &text);

class TqpDesignerCommands {
public:
    explicit TqpDesignerCommands(TqpDesignerState *state) : State(state) {}

    TqpDesignerState *const State;

    void SelectAll();
    // Replaces the clipboard by the selected objects, and the system
    // clipboard by them and by their texts as plain text.
    void Copy();
    void Cut();
    // Whether there is anything of ours to paste.
    bool CanPaste() const;
    // Pastes at the page origin, or near the visible top-left corner when
    // the canvas (whose top-left corner inside the scroll box is
    // `canvasPos`) is scrolled; onto a selected band's top when one is.
    void Paste(QPoint canvasPos = {});
    void BringToFront();
    void SendToBack();
    // Whether the command has enough of a selection to work on.
    bool AlignEnabled(int command) const;
    void Align(int command);
    // Position and size to the nearest grid step, never to nothing.
    void FitToGrid();

    // A value edited in the inspector, in the designer's unit for sizes,
    // applied to the selection or, with nothing selected, to the page. A
    // value no object may take (a negative size, a wrong kind) is refused
    // with EConvertError before anything is changed or recorded.
    void OnModify(const QString &name, TqpDataTypes types, const Variant &value);

    // A property button or box used on the selection: `value` is the
    // button's state for toggles, the box's text for frame width, font
    // name and size, the colour for colour buttons, the vertical bits
    // (0, 8 or 16) for the vertical alignment buttons, nothing for the
    // others. A box text that is not a fitting number is refused with
    // EConvertError before anything is changed or recorded.
    void DoClick(int tag, const Variant &value = Variant());

    // The clipboard's object streams: the system clipboard's when it holds
    // ours, else the designer's own.
    static QList<QByteArray> ClipboardStreams();

private:
    void changeZOrder(bool toFront);
    QList<TqpView *> packedObjects(TqpView *band) const;
    void packBand(TqpView *band, bool fromLeft);
};
