#pragma once
// ResourceProxy: turns a resource type and a textual descriptor into a shared, cached object.
//
// The proxy knows no file format. Loading is done by registered Services, each declaring the
// types it produces; for a type they are tried from the most recently registered to the
// first, and the first object returned wins. Every failure of every service goes into one
// report, thrown when none succeeded.
//
// Descriptors. A descriptor is free text for the services (usually a path in the proxy's
// file system). The proxy itself reads only an optional trailing hint block:
// "tree.png{Path=maps; Path=common}" loads "tree.png" with the hints "Path=maps" and
// "Path=common" pushed on the hint stack for the duration of the load, the last written on
// top. Nested requests made by a service see the hints of the outer request.
//
// Caching. A successful request is recorded under the descriptor exactly as written (hint
// block and its spacing included) and its type; asking again returns the same object with one
// more reference. The record holds one reference of its own; Collect() frees the objects
// that nothing outside the cache holds any more.
//
// Context. The proxy carries what services need: graphics device, sound device, file system,
// GUI skin and Studio root. Each is held with a counted reference; a getter throws when its
// object was never set.
//
// The first proxy constructed becomes the global one (used by Resource handles made from a
// descriptor alone). Everything runs on the main thread; nothing here locks.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Map.h"
#include "core/Stack.h"
#include "core/String.h"
#include "io/FileSystem.h"
#include "utils/ResourceType.h"

#include <cstdint>
#include <random>

namespace Nimbrel::Graphics {
class Device;
}
namespace Nimbrel::Sound {
class Device;
}
namespace Nimbrel::Utils::GUI {
class Skin;
}
namespace Nimbrel::Utils::Studio {
class Root;
}

namespace Nimbrel::Utils {

class ResourceProxy : public Object {
public:
    // A loader plug-in. Services keep no state between calls: everything comes from the
    // descriptor and the proxy (context objects, hints, nested requests through Get).
    class Service : public Object {
    public:
        // Builds an object of the requested type from the descriptor (hint block already
        // removed) and returns it with one reference, which the proxy takes over; or throws
        // an Exception saying why not. Returning null counts as a failure.
        virtual Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) = 0;
        // Appends the types this service can load.
        virtual void GetTypes(Array<ResourceType>& types) = 0;
        // The name that starts this service's line in a failure report.
        virtual String GetName() = 0;
    };

    // One cache entry. `object` carries the record's reference; copying a record does not
    // touch it. `current` turns false when Reload supersedes the record.
    struct AssetRecord {
        Object* object = nullptr;
        String descriptor;
        ResourceType type = ResourceType::Unknown;
        bool current = false;
    };

    ResourceProxy();
    // Releases every cached object once, the services and the context objects.
    ~ResourceProxy() override;
    ResourceProxy(const ResourceProxy&) = delete;
    ResourceProxy& operator=(const ResourceProxy&) = delete;

    // Throws "No global ResourceProxy set" when there is none. No reference is added.
    static ResourceProxy* GetGlobal();
    void SetGlobal();

    // Adds one reference to the service per type it reports.
    void AddService(Service* service);

    // The cached or freshly loaded object, with one reference for the caller. Throws "No
    // service could load the given type" when no service is registered for the type, or the
    // report of every service's failure; nothing is recorded then.
    Object* Get(ResourceType type, const String& descriptor);
    // A fresh object for the caller alone: loaded as Get would load it (the descriptor's
    // hints and those of the requests around it apply) but neither looked up among the
    // records nor recorded, so it lives exactly as long as the caller's reference, and a
    // failure leaves nothing behind. The failure report names the descriptor as given.
    Object* GetPrivate(ResourceType type, const String& descriptor);
    // Records an existing object (adding the record's reference) under a new descriptor and
    // returns that descriptor; no two live records share a descriptor made here.
    String Add(ResourceType type, Object* object);
    // Loads the request anew, bypassing the records made for it so far, and returns the new
    // object with one reference for the caller. Only then is the caller's reference to `old`
    // (if any) released. When loading fails, the records and `old` are left as they were.
    // Superseded records keep their objects until Collect finds them unreferenced.
    // What the request's services asked the proxy for while it loaded (a program's shaders,
    // their source text, the file under it) is loaded anew as well, so a reload sees the
    // files as they are now; on failure those records are left as they were too.
    Object* Reload(Object* old, ResourceType type, const String& descriptor);
    // Frees, pass after pass, every cached object held by nothing but its records, and drops
    // those records. Throws "ResourceProxy is messed up. Somebody doesn't keep track of their
    // object reference counts properly" on an object with fewer references than records; the
    // counts of the objects still cached are never changed.
    void Collect();
    // Notes that the request loading now was read from this file of the proxy's file system
    // (the path as opened, after the hints chose a folder). The file opener calls it; a note
    // made while nothing loads is dropped.
    void NoteFile(const String& path);
    // Appends, once each, the files that the request and every request it needed were read
    // from, as far as they were loaded through this proxy.
    void GetFiles(ResourceType type, const String& descriptor, Array<String>& files) const;
    // "Index\tRefCount\tType\tDescriptor\n" and one such line per record.
    String Dump() const;
    // The type's name as Dump writes it ("???????" for a type it does not know).
    String GetTypeName(ResourceType type) const;

    int GetRecordCount() const { return records.Count(); }
    const AssetRecord& GetRecord(int index) const { return records[index]; }
    // The hints of the loads in progress, bottom first; services read them from the top.
    const Stack<String>& GetHints() const { return hints; }

    // Each setter adds a reference to the new object and releases the previous one. They are
    // templates only so that this header needs no more than the declarations of the context
    // classes: the caller, who has the whole class, does the conversion.
    template <class D>
    void SetGraphicsDevice(D* device) { graphicsDevice.Set(device); }
    template <class D>
    void SetSoundDevice(D* device) { soundDevice.Set(device); }
    void SetFileSystem(IO::FileSystem* fileSystem);
    template <class D>
    void SetSkin(D* skin) { this->skin.Set(skin); }
    template <class D>
    void SetStudioRoot(D* root) { studioRoot.Set(root); }

    // Each returns the object without adding a reference, or throws "ResoruceProxy: No ...
    // set" ("ResourceProxy: No Studio::Root set" for the last).
    Graphics::Device* GetGraphicsDevice() const;
    Sound::Device* GetSoundDevice() const;
    IO::FileSystem* GetFileSystem() const;
    GUI::Skin* GetSkin() const;
    Studio::Root* GetStudioRoot() const;

private:
    // A counted reference to a context object, kept through its Object base.
    template <class T>
    class ContextSlot {
    public:
        template <class D>
        void Set(D* object)
        {
            T* typed = object;
            Object* counted = object;
            if (counted)
                counted->AddRef();
            owner.Set(counted);
            this->typed = typed;
        }
        T* Get() const { return typed; }

    private:
        T* typed = nullptr;
        Managed<Object> owner;
    };

    // A request as the records name it.
    struct RequestKey {
        ResourceType type;
        String descriptor;
        bool operator==(const RequestKey& other) const
        {
            return type == other.type && descriptor == other.descriptor;
        }
    };
    // A request made by the services of another while that one loaded.
    struct Dependency {
        RequestKey request;
        RequestKey needed;
    };

    Object* Load(ResourceType type, const String& descriptor);
    // Notes that the request loading now (if any) needs this one.
    void NoteDependency(ResourceType type, const String& descriptor);
    // The request and, transitively, every request it needed.
    void CollectDependencies(const RequestKey& request, Array<RequestKey>& found) const;
    // Adds a current record of the object, holding a reference of its own.
    void Record(ResourceType type, const String& descriptor, Object* object);
    bool HasRecordWithDescriptor(const String& descriptor) const;

    Map<ResourceType, Array<Service*>*> services;
    Map<ResourceType, String> typeNames;
    Array<AssetRecord> records;
    ContextSlot<Graphics::Device> graphicsDevice;
    ContextSlot<Sound::Device> soundDevice;
    Managed<IO::FileSystem> fileSystem;
    ContextSlot<GUI::Skin> skin;
    ContextSlot<Studio::Root> studioRoot;
    Stack<String> hints;
    // The requests being loaded, innermost on top, and what each request needed.
    Array<RequestKey> loading;
    Array<Dependency> dependencies;
    // The file each request was read from.
    struct FileNote {
        RequestKey request;
        String path;
    };
    Array<FileNote> fileNotes;
    std::mt19937 descriptorGenerator;
    bool descriptorGeneratorSeeded = false;
};

}  // namespace Nimbrel::Utils
