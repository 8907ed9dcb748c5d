#pragma once
// Message ids of the object editors' captions and labels; their OK and Cancel
// buttons are the designer's common ones.

#include "report/core/string_table.h"
#include "report/designer/dialog_buttons.h"

#include <QDialogButtonBox>

enum TqpEditorString : int {
    qpsFieldChooserCaption = 53900,
    qpsDataSetLabel = 53901,
    qpsFieldsLabel = 53902,
    qpsExpressionCaption = 53903,
    qpsFunctionsTab = 53904,
    qpsVariablesTab = 53905,
    qpsFieldsTab = 53906,
    qpsExpressionLabel = 53907,
    qpsMemoEditorCaption = 53908,
    qpsTextTab = 53909,
    qpsScriptTab = 53910,
    qpsInsertField = 53911,
    qpsInsertVariable = 53912,
    qpsInsertExpression = 53913,
    qpsFormatLabel = 53914,
    qpsFormatCategory0 = 53915, // text, number, date, time, Boolean: 53915-53919
    qpsFormatCustom = 53920,
    qpsDecimalsLabel = 53921,
    qpsSeparatorLabel = 53922,
    qpsCustomFormatLabel = 53923,
    qpsBandEditorCaption = 53924,
    qpsDataSourceLabel = 53925,
    qpsVirtualRecords = 53926,
    qpsChildBandLabel = 53927,
    qpsNone = 53928,
    qpsGroupEditorCaption = 53929,
    qpsConditionLabel = 53930,
    qpsMasterBandLabel = 53931,
    qpsCrossEditorCaption = 53932,
    qpsColumnDataSets = 53933,
    qpsPictureEditorCaption = 53934,
    qpsLoadPicture = 53935,
    qpsClearPicture = 53936,
    qpsStretched = 53937,
    qpsCentered = 53938,
    qpsKeepAspect = 53939,
    qpsPictureFilter = 53940,
    qpsRichEditorCaption = 53941,
    qpsBold = 53942,
    qpsItalic = 53943,
    qpsUnderline = 53944,
    qpsColor = 53945,
    qpsAlignLeft = 53946,
    qpsAlignCenter = 53947,
    qpsAlignRight = 53948,
    qpsSubReportCaption = 53949,
    qpsPageLabel = 53950,
    qpsVariableLabel = 53951,
    qpsBuiltInVariables = 53952,
    qpsScriptNotCompiled = 53953,
};

