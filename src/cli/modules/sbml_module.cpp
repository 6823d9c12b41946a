// kora-batch-sbml.so: libSBML and the conversions that use it. Loaded only
// by import and export, so that other commands never load libSBML.
#include "sbml_module_entry.h"

extern "C" __attribute__((visibility("default"))) const kora::cli::SbmlModuleFunctions*
KoraBatchSbml() {
    static const kora::cli::SbmlModuleFunctions functions{&kora::SbmlAvailable,
                                                          &kora::ImportSbmlFile, &kora::ExportSbml};
    return &functions;
}
