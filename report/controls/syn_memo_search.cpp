#include "syn_memo_search.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSynMemoSearch::TSynMemoSearch(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("Search"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Text to find"), this));
    m_edit = new QLineEdit(this);
    layout->addWidget(m_edit);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *search = new QPushButton(QStringLiteral("Search"), this);
    search->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(search);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(search, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TSynMemoSearch::Text() const
{
    return m_edit->text();
}

void TSynMemoSearch::SetText(const QString &text)
{
    m_edit->setText(text);
    m_edit->selectAll();
}
