#pragma once
// Shows the picture held in a graphic field of the current record, centred
// at its own size. Bytes that are no readable picture show as an empty
// picture.

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

    // The field's bytes as stored, and the picture they hold.
    QByteArray PictureData() const { return m_data; }
    const QImage &Picture() const { return m_picture; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void reload();

    TFieldDataLink m_link;
    QByteArray m_data;
    QImage m_picture;
};
