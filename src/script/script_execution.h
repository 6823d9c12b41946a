// Execution of a prepared script, one command per call, on the main thread.
#pragma once

#include <string>
#include <string_view>

#include "model/krm_parser.h"
#include "script_document.h"

namespace kora {

// Titles of the message boxes the execution shows.
inline constexpr std::string_view kTitleFileNotOpened = "ERROR: File not opened.";
inline constexpr std::string_view kTitleCouldNotMerge = "ERROR: Could not merge.";
inline constexpr std::string_view kTitleCouldNotSave = "ERROR: Could not save results.";
inline constexpr std::string_view kTitleProblemExecuting = "A problem ocurred while executing...";

// Executes the command at the counter and moves the counter on. Commands that
// need no computation signal the script; solving ones leave that to the solve.
void ExecuteNext(ScriptDocument& document);

// Puts an assignment ("k = 2") into the model lines: in place of the
// declaration of the same quantity, or as a new last line.
void ApplyAssignment(KRMparser& model, TextLines& modelLines, std::string_view assignment);

// The caption of a document's messages window.
std::string MessagesCaption(const std::string& fileName);

// ".res" is added unless the name already ends in ".RES" (any case).
std::string ResultsSaveName(const std::string& name);

} // namespace kora
