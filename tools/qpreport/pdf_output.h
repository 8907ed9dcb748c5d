#pragma once
// Prepared pages into a PDF file: each page on a PDF page of its own paper
// size and orientation, drawn through the canvas as the printer draws it.

#include <QString>

class TqpEMFPages;

// Raises EqpError when the file cannot be written.
void qpWritePdf(TqpEMFPages &pages, const QString &fileName);
