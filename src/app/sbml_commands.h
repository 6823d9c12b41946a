// Opening SBML files as model texts and exporting a model text as SBML: the
// dialogs and messages around the converter.
#pragma once

#include <QString>
#include <optional>

#include "model/model_text.h"

class QWidget;

namespace kora::app {

inline constexpr const char* kSbmlFilter = "SBML models (*.xml *.sbml)";

// ".xml" or ".sbml", whatever the case.
bool IsSbmlFileName(const QString& fileName);

// The converted model text of an SBML file; nullopt after a box that says
// why it could not be converted (or that this build cannot).
std::optional<QString> ConvertSbmlFile(QWidget* parent, const QString& path);

// The model file name for a text converted from `sbmlPath`: beside it, with
// ".krm". Empty when such a file exists already, so that Save asks.
QString ModelNameForSbml(const QString& sbmlPath);

// "Export SBML...": asks for a .xml file and writes the model there through
// the atomic writer; problems are shown. True when written.
bool ExportSbmlFile(QWidget* parent, const TextLines& editorLines, const QString& startName);

} // namespace kora::app
