#include "model_diagnostics.h"

namespace kora::cli {

void PrintModelDiagnostic(KRMparser& model, const ErrorDisplay& sink, const std::string& fileName,
                          const TextLines& fileLines, const TextLines& modelLines,
                          const std::string& kind, std::ostream& err) {
    const LocatedModelError located = LocateModelError(model, sink, fileLines, modelLines);
    PrintDiagnostic(fileName, located.place, kind, located.message,
                    located.detail.empty() ? TextLines{} : TextLines{located.detail}, err);
}

void PrintDiagnostic(const std::string& fileName, const TextPlace& place, const std::string& kind,
                     const std::string& message, const TextLines& more, std::ostream& err) {
    err << PlacePrefix(fileName, place) << kind << ": " << message << '\n';
    for (const std::string& line : more)
        err << line << '\n';
    err.flush();
}

} // namespace kora::cli
