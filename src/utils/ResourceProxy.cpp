#include "utils/ResourceProxy.h"

#include "core/Exception.h"

#include <chrono>
#include <unordered_map>

namespace Nimbrel::Utils {

namespace resource_proxy_detail {

ResourceProxy* global = nullptr;

struct TypeName {
    ResourceType type;
    const char* name;
};

constexpr TypeName TypeNames[] = {
    {ResourceType::Unknown, "Unknown"},
    {ResourceType::String, "String"},
    {ResourceType::InputStream, "InputStream"},
    {ResourceType::OutputStream, "OutputStream"},
    {ResourceType::Buffer, "Buffer"},
    {ResourceType::FileSystem, "FileSystem"},
    {ResourceType::Bitmap2D, "Bitmap2D"},
    {ResourceType::Texture, "Texture"},
    {ResourceType::Texture2D, "Texture2D"},
    {ResourceType::Texture3D, "Texture3D"},
    {ResourceType::TextureCube, "TextureCube"},
    {ResourceType::VertexShader, "VertexShader"},
    {ResourceType::PixelShader, "PixelShader"},
    {ResourceType::GeometryShader, "GeometryShader"},
    {ResourceType::Program, "Program"},
    {ResourceType::Geometry, "Geometry"},
    {ResourceType::FontFace, "FontFace"},
    {ResourceType::RichText, "RichText"},
    {ResourceType::AudioClip, "AudioClip"},
    {ResourceType::SoundBuffer, "SoundBuffer"},
    {ResourceType::AudioStream, "AudioStream"},
    {ResourceType::XmlDocument, "XmlDocument"},
    {ResourceType::XmlElement, "XmlElement"},
    {ResourceType::Scene, "Scene"},
    {ResourceType::SceneNode, "SceneNode"},
    {ResourceType::SceneController, "SceneController"},
    {ResourceType::GUIWidget, "GUIWidget"},
    {ResourceType::Custom, "Custom"},
};

// Splits "plain{hint; hint}" into the plain descriptor and the non-empty, trimmed hints.
// Without a trailing brace block the whole descriptor is plain.
void SplitHints(const String& descriptor, String& plain, Array<String>& hints)
{
    int length = descriptor.Length();
    int open = -1;
    if (length > 1 && descriptor[length - 1] == '}') {
        for (int i = length - 2; i >= 0; --i) {
            if (descriptor[i] == '{') {
                open = i;
                break;
            }
        }
    }
    if (open < 0) {
        plain = descriptor;
        return;
    }
    plain = descriptor.SubString(0, open);
    Array<String> pieces;
    descriptor.SubString(open + 1, length - open - 2).Split(';', pieces);
    for (const String& piece : pieces) {
        String hint = piece.Trim();
        if (hint.Length() > 0)
            hints.Add(hint);
    }
}

// Pops what a load pushed, however the load ends.
class PushedHints {
public:
    explicit PushedHints(Stack<String>& hints) : hints(hints) {}
    ~PushedHints()
    {
        for (; pushed > 0; --pushed)
            hints.Pop();
    }
    PushedHints(const PushedHints&) = delete;
    PushedHints& operator=(const PushedHints&) = delete;

    void Push(const String& hint)
    {
        hints.Push(hint);
        ++pushed;
    }

private:
    Stack<String>& hints;
    int pushed = 0;
};

// What a context slot holds, or the message when nothing is set there.
template <class Slot>
auto Required(const Slot& slot, const char* missing)
{
    if (!slot.Get())
        throw Exception(missing);
    return slot.Get();
}

}  // namespace resource_proxy_detail

ResourceProxy::ResourceProxy()
{
    for (const auto& entry : resource_proxy_detail::TypeNames)
        typeNames[entry.type] = entry.name;
    if (!resource_proxy_detail::global)
        resource_proxy_detail::global = this;
}

ResourceProxy::~ResourceProxy()
{
    if (resource_proxy_detail::global == this)
        resource_proxy_detail::global = nullptr;
    // Every record holds one reference, so an object that another cached object keeps is
    // still alive when its own record lets go of it.
    Array<AssetRecord> cached(std::move(records));
    for (AssetRecord& record : cached)
        record.object->Release();
    Managed<Iterator<Pair<ResourceType, Array<Service*>*>>> entries = services.GetIterator();
    while (entries->MoveNext()) {
        Array<Service*>* registered = entries->Current().Value;
        for (Service* service : *registered)
            service->Release();
        delete registered;
    }
}

ResourceProxy* ResourceProxy::GetGlobal()
{
    if (!resource_proxy_detail::global)
        throw Exception("No global ResourceProxy set");
    return resource_proxy_detail::global;
}

void ResourceProxy::SetGlobal()
{
    resource_proxy_detail::global = this;
}

void ResourceProxy::AddService(Service* service)
{
    Array<ResourceType> types;
    service->GetTypes(types);
    for (ResourceType type : types) {
        Array<Service*>* registered = nullptr;
        if (!services.TryGet(type, registered)) {
            registered = new Array<Service*>();
            services[type] = registered;
        }
        registered->Add(service);
        service->AddRef();
    }
}

Object* ResourceProxy::Get(ResourceType type, const String& descriptor)
{
    NoteDependency(type, descriptor);
    for (const AssetRecord& record : records) {
        if (record.current && record.type == type && record.descriptor == descriptor) {
            record.object->AddRef();
            return record.object;
        }
    }
    Object* object = Load(type, descriptor);
    Record(type, descriptor, object);
    return object;
}

Object* ResourceProxy::GetPrivate(ResourceType type, const String& descriptor)
{
    NoteDependency(type, descriptor);
    return Load(type, descriptor);
}

void ResourceProxy::NoteDependency(ResourceType type, const String& descriptor)
{
    if (loading.Count() == 0)
        return;
    Dependency dependency{loading[loading.Count() - 1], RequestKey{type, descriptor}};
    for (const Dependency& known : dependencies)
        if (known.request == dependency.request && known.needed == dependency.needed)
            return;
    dependencies.Add(dependency);
}

void ResourceProxy::CollectDependencies(const RequestKey& request, Array<RequestKey>& found) const
{
    for (const RequestKey& known : found)
        if (known == request)
            return;
    found.Add(request);
    for (const Dependency& dependency : dependencies)
        if (dependency.request == request)
            CollectDependencies(dependency.needed, found);
}

void ResourceProxy::NoteFile(const String& path)
{
    if (loading.Count() == 0)
        return;
    FileNote note{loading[loading.Count() - 1], path};
    for (const FileNote& known : fileNotes)
        if (known.request == note.request && known.path == note.path)
            return;
    fileNotes.Add(note);
}

void ResourceProxy::GetFiles(ResourceType type, const String& descriptor, Array<String>& files) const
{
    Array<RequestKey> requests;
    CollectDependencies(RequestKey{type, descriptor}, requests);
    for (const RequestKey& request : requests) {
        for (const FileNote& note : fileNotes) {
            if (!(note.request == request))
                continue;
            bool known = false;
            for (const String& file : files)
                known = known || file == note.path;
            if (!known)
                files.Add(note.path);
        }
    }
}

Object* ResourceProxy::Load(ResourceType type, const String& descriptor)
{
    using namespace resource_proxy_detail;
    Array<Service*>* registered = nullptr;
    if (!services.TryGet(type, registered))
        throw Exception("No service could load the given type");

    String report = "Descriptor '" + descriptor + "' could not be converted to an object: \n";
    String plain;
    Array<String> split;
    SplitHints(descriptor, plain, split);
    PushedHints pushed(hints);
    for (const String& hint : split)
        pushed.Push(hint);
    loading.Add(RequestKey{type, descriptor});
    struct Loading {
        Array<RequestKey>& stack;
        ~Loading() { stack.RemoveAt(stack.Count() - 1); }
    } popped{loading};

    for (int i = registered->Count() - 1; i >= 0; --i) {
        Service* service = (*registered)[i];
        String failure;
        try {
            Object* object = service->Load(type, plain, this);
            if (object)
                return object;
            failure = "Service behaved incorrectly";
        } catch (const Exception& error) {
            failure = error.GetMessage();
        }
        report += service->GetName() + ": " + failure + "\n";
    }
    throw Exception(report);
}

void ResourceProxy::Record(ResourceType type, const String& descriptor, Object* object)
{
    AssetRecord record;
    record.object = object;
    record.descriptor = descriptor;
    record.type = type;
    record.current = true;
    records.Add(record);
    object->AddRef();
}

bool ResourceProxy::HasRecordWithDescriptor(const String& descriptor) const
{
    for (const AssetRecord& record : records)
        if (record.descriptor == descriptor)
            return true;
    return false;
}

String ResourceProxy::Add(ResourceType type, Object* object)
{
    if (!object)
        throw Exception("ResourceProxy::Add(): No object given");
    if (!descriptorGeneratorSeeded) {
        auto now = std::chrono::steady_clock::now().time_since_epoch();
        descriptorGenerator.seed(
            static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        descriptorGeneratorSeeded = true;
    }
    // The generator is seeded once, so calls in the same millisecond still differ; a clash
    // with a live record is drawn again.
    String descriptor;
    do {
        uint32_t first = descriptorGenerator() >> 1;
        uint32_t second = descriptorGenerator() >> 1;
        descriptor = String::Format("%u%u", second, first);
    } while (HasRecordWithDescriptor(descriptor));

    Record(type, descriptor, object);
    return descriptor;
}

Object* ResourceProxy::Reload(Object* old, ResourceType type, const String& descriptor)
{
    Array<RequestKey> requests;
    CollectDependencies(RequestKey{type, descriptor}, requests);
    Array<int> superseded;
    for (int i = 0; i < records.Count(); ++i) {
        AssetRecord& record = records[i];
        if (!record.current)
            continue;
        for (const RequestKey& request : requests) {
            if (record.type == request.type && record.descriptor == request.descriptor) {
                record.current = false;
                superseded.Add(i);
                break;
            }
        }
    }
    Object* fresh = nullptr;
    try {
        fresh = Get(type, descriptor);
    } catch (...) {
        // A failed load records nothing, so the indices still name the same records.
        for (int index : superseded)
            records[index].current = true;
        throw;
    }
    if (old)
        old->Release();
    return fresh;
}

void ResourceProxy::Collect()
{
    struct Holding {
        int first;  // index of the earliest record of the object
        int records;
    };
    bool removed = true;
    while (removed) {
        removed = false;
        std::unordered_map<Object*, Holding> holdings;
        for (int i = 0; i < records.Count(); ++i) {
            auto [entry, inserted] = holdings.try_emplace(records[i].object, Holding{i, 0});
            ++entry->second.records;
        }
        // From the last record to the first, so that an object freed late in the list (a zip
        // archive) lets one earlier in the list (its stream) go in the same pass. Records
        // below the visited index never move.
        for (int a = records.Count() - 1; a >= 0; --a) {
            Object* object = records[a].object;
            const Holding& holding = holdings.at(object);
            if (holding.first != a)
                continue;
            int count = object->GetRefCount();
            if (count < holding.records)
                throw Exception(
                    "ResourceProxy is messed up. Somebody doesn't keep track of their object reference counts properly");
            if (count > holding.records)
                continue;
            for (int b = records.Count() - 1; b >= a; --b)
                if (records[b].object == object)
                    records.RemoveAt(b);
            for (int i = 0; i < holding.records; ++i)
                object->Release();
            removed = true;
        }
    }
}

String ResourceProxy::Dump() const
{
    String dump = "Index\tRefCount\tType\tDescriptor\n";
    for (int i = 0; i < records.Count(); ++i) {
        const AssetRecord& record = records[i];
        dump += String(i) + "\t" + String(record.object->GetRefCount()) + "\t" + GetTypeName(record.type) + "\t" +
                record.descriptor + "\n";
    }
    return dump;
}

String ResourceProxy::GetTypeName(ResourceType type) const
{
    String name;
    if (!typeNames.TryGet(type, name))
        name = "???????";
    return name;
}

void ResourceProxy::SetFileSystem(IO::FileSystem* system)
{
    if (system)
        system->AddRef();
    fileSystem.Set(system);
}

Graphics::Device* ResourceProxy::GetGraphicsDevice() const
{
    return resource_proxy_detail::Required(graphicsDevice, "ResoruceProxy: No GraphicsDevice set");
}

Sound::Device* ResourceProxy::GetSoundDevice() const
{
    return resource_proxy_detail::Required(soundDevice, "ResoruceProxy: No SoundDevice set");
}

IO::FileSystem* ResourceProxy::GetFileSystem() const
{
    return resource_proxy_detail::Required(fileSystem, "ResoruceProxy: No FileSystem set");
}

GUI::Skin* ResourceProxy::GetSkin() const
{
    return resource_proxy_detail::Required(skin, "ResoruceProxy: No GUI::Skin set");
}

Studio::Root* ResourceProxy::GetStudioRoot() const
{
    return resource_proxy_detail::Required(studioRoot, "ResourceProxy: No Studio::Root set");
}

}  // namespace Nimbrel::Utils
