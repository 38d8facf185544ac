#pragma once
// The Studio's project in the data folder the root was given: with the editor, the layout's
// windows and the sync data, and the Tracker (when the layout opens one) editing the first
// block, so keys typed into it act at once; in player mode the sync data alone. Throws what
// the files throw.

namespace Nimbrel::Utils::Studio {
class Root;
}

namespace host {

void LoadStudioProject(Nimbrel::Utils::Studio::Root& root, bool editor);

}  // namespace host
