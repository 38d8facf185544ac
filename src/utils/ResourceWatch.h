#pragma once
// Utils::ResourceWatch: reloads loaded resources whose files changed, for tuning shaders and
// textures while the demo plays.
//
// Each watched entry is a request (type and descriptor) of a proxy and the files, in the
// proxy's file system, that it is made from: those the proxy saw it and the requests it
// needed read (a program's Cg text, a texture's image, wherever a Path hint found them), and
// any the caller names besides. After a reload the entry watches the files the new load read,
// so a file that became part of the resource is watched from then on. The host calls Update once a frame; at most once
// per interval of the injected clock it reads the files' modification times and reloads,
// through ResourceProxy::Reload, every entry one of whose files changed. Reload loads what
// the request needed anew too, so a program is rebuilt from the text as it is now, not from
// the cached one. When the reload fails (the text does not compile, the image does not
// decode) the entry keeps its last good object and the failure is reported once, through the
// report function; the next change of a file tries again. Frames between polls only compare
// the clock, so they neither allocate nor touch the file system.
//
//     ResourceWatch watch(proxy, GetSeconds);
//     int effect = watch.Watch(ResourceType::Program, "data/color.cg");
//     ... each frame: watch.Update(); device->SetProgram(watch.Get<Program>(effect));

#include "core/Array.h"
#include "core/Managed.h"
#include "core/String.h"
#include "utils/ResourceProxy.h"

#include <cstdint>
#include <functional>
#include <initializer_list>

namespace Nimbrel::Utils {

class ResourceWatch : public Object {
public:
    using Clock = std::function<double()>;
    using Report = std::function<void(const String&)>;

    // Polls at most once per `interval` seconds of `clock`. Without a report function the
    // failures go to the standard error stream. Adds a reference to the proxy.
    ResourceWatch(ResourceProxy* proxy, Clock clock, double interval = 0.25, Report report = Report());
    ~ResourceWatch() override;
    ResourceWatch(const ResourceWatch&) = delete;
    ResourceWatch& operator=(const ResourceWatch&) = delete;

    // Requests the object (what the proxy throws passes on), notes the modification times of
    // its files and of the extra ones, and returns the entry's number.
    int Watch(ResourceType type, const String& descriptor, std::initializer_list<const char*> extraFiles = {});
    // The files the entry watches now.
    Array<String> GetFiles(int entry) const;
    // The entry's current object (no reference added): the last one that loaded.
    Object* Get(int entry) const;
    template <class T>
    T* Get(int entry) const
    {
        return dynamic_cast<T*>(Get(entry));
    }

    // Polls when the interval has passed since the last poll and returns how many entries
    // were reloaded.
    int Update();

private:
    struct WatchedFile {
        String folder;
        String path;
        uint64_t writeTime;
    };
    struct Entry {
        ResourceType type;
        String descriptor;
        Object* object;  // a reference of its own
        Array<String> extraFiles;
        Array<WatchedFile> files;
    };

    const Entry& GetEntry(int entry) const;
    // Lists the files of the entry anew, from the proxy's notes and the extra files, keeping
    // the times read before for the files it already watched.
    void FindFiles(Entry& entry) const;
    // The file's last write time, or 0 when the file system does not list it.
    uint64_t WriteTime(const WatchedFile& file) const;
    // Reads the times of the entry's files and reports whether any changed since last read.
    bool Changed(Entry& entry);

    Managed<ResourceProxy> proxy;
    Clock clock;
    double interval;
    Report report;
    double lastPoll;
    Array<Entry> entries;
};

}  // namespace Nimbrel::Utils
