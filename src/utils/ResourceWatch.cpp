#include "utils/ResourceWatch.h"

#include "core/Exception.h"
#include "io/FileInfo.h"
#include "io/FileSystem.h"

#include <cstdio>

namespace Nimbrel::Utils {

ResourceWatch::ResourceWatch(ResourceProxy* proxy, Clock clock, double interval, Report report)
    : clock(std::move(clock)), interval(interval), report(std::move(report))
{
    if (!proxy)
        throw Exception("ResourceWatch: No ResourceProxy given");
    if (!this->clock)
        throw Exception("ResourceWatch: No clock given");
    proxy->AddRef();
    this->proxy.Set(proxy);
    if (!this->report)
        this->report = [](const String& message) { std::fprintf(stderr, "%s\n", message.CStr()); };
    lastPoll = this->clock();
}

ResourceWatch::~ResourceWatch()
{
    for (Entry& entry : entries)
        entry.object->Release();
}

int ResourceWatch::Watch(ResourceType type, const String& descriptor, std::initializer_list<const char*> extraFiles)
{
    Entry entry{type, descriptor, proxy->Get(type, descriptor), {}, {}};
    for (const char* file : extraFiles)
        entry.extraFiles.Add(file);
    FindFiles(entry);
    entries.Add(entry);
    return entries.Count() - 1;
}

void ResourceWatch::FindFiles(Entry& entry) const
{
    Array<String> paths;
    proxy->GetFiles(entry.type, entry.descriptor, paths);
    for (const String& extra : entry.extraFiles) {
        bool known = false;
        for (const String& path : paths)
            known = known || path == extra;
        if (!known)
            paths.Add(extra);
    }
    Array<WatchedFile> files;
    for (const String& path : paths) {
        WatchedFile watched{String(), path, 0};
        bool known = false;
        for (const WatchedFile& before : entry.files) {
            if (before.path == path) {
                watched = before;
                known = true;
            }
        }
        if (!known) {
            int slash = -1;
            for (int i = path.Length() - 1; i >= 0 && slash < 0; --i)
                if (path[i] == '/')
                    slash = i;
            watched.folder = slash < 0 ? String() : path.SubString(0, slash);
            watched.writeTime = WriteTime(watched);
        }
        files.Add(watched);
    }
    entry.files = files;
}

const ResourceWatch::Entry& ResourceWatch::GetEntry(int entry) const
{
    if (entry < 0 || entry >= entries.Count())
        throw Exception("ResourceWatch: Invalid entry");
    return entries[entry];
}

Object* ResourceWatch::Get(int entry) const
{
    return GetEntry(entry).object;
}

Array<String> ResourceWatch::GetFiles(int entry) const
{
    Array<String> paths;
    for (const WatchedFile& file : GetEntry(entry).files)
        paths.Add(file.path);
    return paths;
}

uint64_t ResourceWatch::WriteTime(const WatchedFile& file) const
{
    Array<IO::FileInfo*> listing;
    proxy->GetFileSystem()->GetFiles(file.folder, listing);
    uint64_t time = 0;
    for (IO::FileInfo* info : listing) {
        if (info->GetPath() == file.path)
            time = info->GetLastWriteTime();
        delete info;
    }
    return time;
}

bool ResourceWatch::Changed(Entry& entry)
{
    bool changed = false;
    for (WatchedFile& file : entry.files) {
        const uint64_t time = WriteTime(file);
        if (time != file.writeTime) {
            file.writeTime = time;
            changed = true;
        }
    }
    return changed;
}

int ResourceWatch::Update()
{
    const double now = clock();
    if (now - lastPoll < interval)
        return 0;
    lastPoll = now;
    int reloaded = 0;
    for (Entry& entry : entries) {
        if (!Changed(entry))
            continue;
        try {
            // Reload releases the entry's reference to the old object once the new one loaded.
            entry.object = proxy->Reload(entry.object, entry.type, entry.descriptor);
            FindFiles(entry);
            ++reloaded;
        } catch (const Exception& error) {
            report(error.GetMessage());
        }
    }
    return reloaded;
}

}  // namespace Nimbrel::Utils
