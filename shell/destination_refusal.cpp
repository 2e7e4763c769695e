#include "destination_refusal.h"

const char* DestinationRefusal(const files::DestinationCheck& check, const char* pszOtherwise) {
    static const struct {
        files::DestinationProblem problem;
        const char* text;
    } kRefusals[] = {
        {files::DestinationProblem::None, nullptr},
        {files::DestinationProblem::HeldOpen,
         "The file to write is open in another program. Please close it there or choose another name."},
        {files::DestinationProblem::ReadOnly, "The file to write is read-only. Please choose another name."},
        {files::DestinationProblem::FolderRefuses,
         "The folder of the file to write takes no new files. Please choose another folder."},
    };
    for (const auto& refusal : kRefusals)
        if (refusal.problem == check.problem) return refusal.text;
    return pszOtherwise;
}
