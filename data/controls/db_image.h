#pragma once
// Shows the picture held in a graphic field of the current record, centred;
// a picture larger than the box is scaled down to fit, keeping its aspect.
// Bytes that are no readable picture show as an empty picture. A hidden
// control does nothing as the record moves; a shown one decodes the
// record's picture once, when it is first painted or asked for. A picture
// pasted (Ctrl+V, Shift+Ins) or dropped onto the control starts editing
// and goes into the field at once.

#include <QFrame>
#include <QImage>

#include "field_data_link.h"

class TDBImage : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE setDataField)
public:
    explicit TDBImage(QWidget *parent = nullptr);

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void setDataSource(TDataSource *source) { m_link.setDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }

    // The field's bytes as stored in the current record.
    QByteArray PictureData() const;
    // The picture as shown; null while the control is hidden.
    const QImage &Picture();

    // Puts picture bytes the operator gave into the field; bytes that are
    // no readable picture are refused with an error and change nothing.
    void LoadPicture(const QByteArray &bytes);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void recordChanged();
    void decode();

    TFieldDataLink m_link;
    bool m_stale = true;
    QByteArray m_data; // the bytes m_picture was decoded from
    QImage m_picture;
};
