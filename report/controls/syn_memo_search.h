#pragma once
// The script editor's search prompt: a small tool window asking for the text
// to find; Enter confirms.

#include <QDialog>

class QLineEdit;

class TSynMemoSearch : public QDialog {
    Q_OBJECT
public:
    explicit TSynMemoSearch(QWidget *parent = nullptr);

    QString Text() const;
    void SetText(const QString &text);
    QLineEdit *Edit() const { return m_edit; }

private:
    QLineEdit *m_edit;
};
