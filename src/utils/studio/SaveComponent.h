#pragma once
// Studio::SaveComponent: a further part of a project that saves and loads with the Studio's
// files, in the same data folder.

#include "io/FileSystem.h"
#include "utils/Resource.h"

namespace Nimbrel::Utils::Studio {

using FolderResource = Resource<IO::FileSystem, ResourceType::FileSystem>;

class SaveComponent {
public:
    virtual ~SaveComponent() = default;
    virtual void Save(const FolderResource& folder) = 0;
    virtual void Load(const FolderResource& folder) = 0;
};

}  // namespace Nimbrel::Utils::Studio
