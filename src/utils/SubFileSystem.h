#pragma once
// Utils::SubFileSystem: a folder of another file system seen as a file system of its own.
//
// Every path is the folder followed by the path as given; the folder is not checked, so a
// view of a folder that does not exist simply opens no files. Listed entries keep the
// parent's paths (the folder in front). The view keeps its parent alive.

#include "io/FileSystem.h"
#include "utils/Resource.h"

namespace Nimbrel::Utils {

class SubFileSystem : public IO::FileSystem {
public:
    // `folder` gets a trailing '/' unless it is empty or has one.
    SubFileSystem(const String& folder, const Resource<IO::FileSystem, ResourceType::FileSystem>& parent);

    IO::Stream* OpenFile(const String& path, IO::FileMode mode) override;
    void GetFiles(const String& folder, Array<IO::FileInfo*>& files) override;
    void DeleteFile(const String& path) override;
    void MoveFile(const String& from, const String& to) override;
    void CreateDirectory(const String& path) override;
    void DeleteDirectory(const String& path) override;
    void MoveDirectory(const String& from, const String& to) override;

    bool CanDeleteFiles() const override { return parent->CanDeleteFiles(); }
    bool CanMoveFiles() const override { return parent->CanMoveFiles(); }
    bool CanCreateDirectories() const override { return parent->CanCreateDirectories(); }
    bool CanDeleteDirectories() const override { return parent->CanDeleteDirectories(); }
    bool CanMoveDirectories() const override { return parent->CanMoveDirectories(); }

    const String& GetFolder() const { return folder; }

private:
    String folder;
    Resource<IO::FileSystem, ResourceType::FileSystem> parent;
};

}  // namespace Nimbrel::Utils
