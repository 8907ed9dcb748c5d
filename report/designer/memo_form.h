#pragma once
// TqpMemoForm: the plain text editor of a text object's lines, opened by a
// double click or after inserting a text object.

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class TqpMemoView;

class TqpMemoForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpMemoForm(QWidget *parent = nullptr);
    QPlainTextEdit *Memo1;

    // Shows the object's lines; on OK `beforeChange` runs and the lines are
    // written back. True when they were.
    static bool Edit(TqpMemoView *view, QWidget *parent, const std::function<void()> &beforeChange);
};
