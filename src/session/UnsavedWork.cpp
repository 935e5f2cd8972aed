#include "session/UnsavedWork.h"

#include <algorithm>

#include "project/ProjectWriter.h"
#include "session/EditSession.h"
#include "session/ProjectBinding.h"

namespace {

// The edits in the project's own text: two sessions with the same text show the same video.
std::string editsText(const EditSession& session) {
    return projectText(projectFromEdits(session, ""));
}

template <typename List>
bool anyCovered(const List& items) {
    return std::any_of(items.begin(), items.end(),
                       [](const auto& item) { return item.cover != Cover::none; });
}

}  // namespace

bool hidesAnything(const EditSession& session) {
    return anyCovered(session.faceEditor().regions()) ||
           anyCovered(session.objectEditor().regions()) ||
           session.backgroundEditor().style().type != StyleKind::normal ||
           anyCovered(session.shapeEditor().shapes());
}

bool UnsavedWork::isPending(const EditSession& session) const {
    if (!hidesAnything(session)) return false;
    return savedEdits_.empty() || editsText(session) != savedEdits_;
}

void UnsavedWork::markSaved(const EditSession& session) {
    savedEdits_ = editsText(session);
}
