#include "utils/studio/Block.h"

#include "core/Exception.h"

namespace Nimbrel::Utils::Studio {

Block::Block(int start, int length, TrackGroup* group) : start(start), length(length)
{
    if (!group)
        throw Exception("Block::Block(): No track group given");
    group->AddRef();
    this->group.Set(group);
    patterns.Reserve(group->GetTrackCount());
    for (int i = 0; i < group->GetTrackCount(); ++i)
        patterns.Add(Managed<Pattern>(new Pattern()));
}

Block* Block::Clone() const
{
    Managed<Block> copy(new Block(start, length, group.Get()));
    copy->patterns.Clear();
    for (const Managed<Pattern>& pattern : patterns)
        copy->patterns.Add(Managed<Pattern>(pattern->Clone()));
    return copy.Detach();
}

}  // namespace Nimbrel::Utils::Studio
