#include "user_registration.h"

#include "shell_verbs.h"
#include "win_app.h"

namespace {

RegistrationResult WriteRegistration(CWinApp& app) {
    RegistrationResult result = app.RegisterShellFileTypes(TRUE);
    result.Add(RegisterExplorerVerbs());
    return result;
}

// Explorer learns of a change at once; when nothing changed it is not bothered.
bool Finish(const RegistrationResult& result) {
    if (result.bChanged) NotifyShellOfAssociationChange();
    return result.bDone;
}

}  // namespace

void RegisterUnlessUnregistered(CWinApp& app) {
    if (!app.GetProfile().GetProfileString(kRegistrationNoteSection, kRegistrationNoteEntry, nullptr).empty()) return;
    Finish(WriteRegistration(app));
}

bool RegisterForUser(CWinApp& app) {
    RegistrationResult result = WriteRegistration(app);
    result.Add(RegistrationResult{app.GetProfile().DeleteProfileEntry(kRegistrationNoteSection, kRegistrationNoteEntry), false});
    return Finish(result);
}

bool UnregisterForUser(CWinApp& app) {
    // The note first: should removing fail halfway, the next start still leaves the rest alone.
    RegistrationResult result{app.WriteProfileString(kRegistrationNoteSection, kRegistrationNoteEntry, "1") != FALSE, false};
    result.Add(app.UnregisterShellFileTypes());
    result.Add(UnregisterExplorerVerbs());
    return Finish(result);
}
