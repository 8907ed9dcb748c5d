#pragma once
// The two dialogs of templates with a description: the chooser of the
// templates in a folder, and the description asked when saving one.

#include <QDialog>
#include <QImage>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// TqpTemplForm: lists the "*.qpt" files of a folder by name and shows the
// description and picture of the one chosen.
class TqpTemplForm : public QDialog {
    Q_OBJECT
public:
    TqpTemplForm(const QString &folder, QWidget *parent = nullptr);

    QListWidget *LB1;
    QLabel *DescriptionL, *PictureL;
    // The chosen template's path; empty without a choice.
    QString FileName() const;

private:
    void choiceChanged();
    QString m_folder;
    QPushButton *m_ok;
};

// TqpTemplNewForm: the description lines and picture of a template being saved.
class TqpTemplNewForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpTemplNewForm(QWidget *parent = nullptr);

    QPlainTextEdit *Memo1;
    QLabel *PictureL;
    QStringList Description() const;
    QImage Picture() const { return m_picture; }
    void SetPicture(const QImage &picture);

private:
    QImage m_picture;
};
