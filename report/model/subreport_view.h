#pragma once
// TqpSubReportView: marks where the bands of another template page of the
// same report are inserted.

#include "report/model/view.h"

class TqpSubReportView : public TqpView {
public:
    TqpSubReportView();
    QString ClassName() const override { return QStringLiteral("TqpSubReportView"); }

    int SubPage = 0; // index, from 0, of the template page inserted here

    // A white box with a black border and the object's name.
    void Draw(TCanvas *canvas) override;
    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void SaveToQP3Stream(QIODevice &stream) override;
};
