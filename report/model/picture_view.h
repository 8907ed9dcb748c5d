#pragma once
// TqpPictureView: a picture stored in the template or loaded from a blob
// field or a file, drawn stretched to the object's rectangle or at its own
// size, optionally centred and keeping its proportions.

#include "report/model/view.h"

#include <picture.h>

// Flag bits of the picture object beyond the shared stretched bit.
enum TqpPictureFlag : quint16 { flPictureCenter = 0x0002, flKeepAspect = 0x0004 };

// The format a blob field was designed to hold; the field's content decides.
enum TqpBlobType : quint8 { btBMP = 0, btJPG = 1, btICO = 2, btWMF = 3 };

class TqpPictureView : public TqpView {
public:
    TqpPictureView();
    ~TqpPictureView() override;
    QString ClassName() const override { return QStringLiteral("TqpPictureView"); }

    TPicture Picture;
    quint8 BlobType = btBMP;

    void SetPropValue(const QString &name, const Variant &value) override;
    Variant GetPropValue(const QString &name) override;
    Variant DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3) override;
    void DefineProperties() override;

    // The picture the field's bytes hold, recognised by their content; a
    // null field or bytes of no picture format leave it empty.
    void GetBlob(TBlobField *field) override;
    void ShowEditor() override;
    void Draw(TCanvas *canvas) override;
    // An unreadable graphic leaves the picture empty and raises
    // EInvalidGraphic once the stream stands at the record's end.
    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void SaveToQP3Stream(QIODevice &stream) override;

    // Where the graphic goes: stretched, centred or at its own scaled size.
    // Meaningful between CalcGaps and RestoreCoord, for a non-empty picture.
    TRect GraphicRect() const;

private:
    void drawGraphic();
    void drawMetafile(const QRect &target);
    void drawPlaceholder();
    int m_handle = 0; // number handed out by the "PICTURE" property, 0 before
};
