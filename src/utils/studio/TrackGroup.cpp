#include "utils/studio/TrackGroup.h"

#include "core/Exception.h"

#include <algorithm>

namespace Nimbrel::Utils::Studio {

void TrackGroup::AddTrack(Track* track)
{
    if (!track)
        throw Exception("TrackGroup::AddTrack(): No track given");
    track->AddRef();
    tracks.Add(Managed<Track>(track));
}

void TrackGroup::ReverseTracks()
{
    std::reverse(tracks.begin(), tracks.end());
}

}  // namespace Nimbrel::Utils::Studio
