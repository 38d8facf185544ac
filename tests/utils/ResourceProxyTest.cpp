#include "utils/ResourceProxy.h"

#include "io/FileSystem.h"
#include "support/Expect.h"
#include "utils/Resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace resource_proxy_test {

// Counts its destructions and may hold a reference to another object.
class Tracked : public Object {
public:
    explicit Tracked(int* destroyed = nullptr, Object* held = nullptr) : destroyed(destroyed), held(held)
    {
        if (held)
            held->AddRef();
    }
    ~Tracked() override
    {
        if (held)
            held->Release();
        if (destroyed)
            ++*destroyed;
    }

private:
    int* destroyed;
    Object* held;
};

// A service that runs the given function and logs every call as "descriptor|hint,hint"
// (the hints from the bottom of the stack up).
class FakeService : public ResourceProxy::Service {
public:
    using Loader = std::function<Object*(ResourceType, const String&, ResourceProxy*)>;

    FakeService(const char* name, std::vector<ResourceType> types, Loader loader, int* destroyed = nullptr)
        : name(name), types(std::move(types)), loader(std::move(loader)), destroyed(destroyed)
    {
    }
    ~FakeService() override
    {
        if (destroyed)
            ++*destroyed;
    }

    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override
    {
        calls.push_back(std::string(descriptor.CStr()) + "|" + Hints(proxy));
        return loader(type, descriptor, proxy);
    }
    void GetTypes(Array<ResourceType>& out) override
    {
        for (ResourceType type : types)
            out.Add(type);
    }
    String GetName() override { return name; }

    static std::string Hints(ResourceProxy* proxy)
    {
        std::string joined;
        const Stack<String>& hints = proxy->GetHints();
        for (int i = 0; i < hints.Count(); ++i)
            joined += (i ? "," : "") + std::string(hints[i].CStr());
        return joined;
    }

    std::vector<std::string> calls;

private:
    String name;
    std::vector<ResourceType> types;
    Loader loader;
    int* destroyed;
};

// Registers the service with the proxy, which then holds the only references to it.
FakeService* Register(ResourceProxy& proxy, FakeService* service)
{
    proxy.AddService(service);
    service->Release();
    return service;
}

FakeService::Loader MakesTracked(int* destroyed = nullptr)
{
    return [destroyed](ResourceType, const String&, ResourceProxy*) { return new Tracked(destroyed); };
}

FakeService::Loader Throws(const char* message)
{
    return [message](ResourceType, const String&, ResourceProxy*) -> Object* { throw Exception(message); };
}


TEST(ResourceProxy, SameRequestReturnsTheSameObjectWithOneMoreReference)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    FakeService* maker = Register(*proxy, new FakeService("Maker", {ResourceType::String, ResourceType::XmlDocument},
                                                          MakesTracked()));
    Object* first = proxy->Get(ResourceType::String, "a.txt{Path=x; Path=y}");
    EXPECT_EQ(first->GetRefCount(), 2);
    Object* again = proxy->Get(ResourceType::String, "a.txt{Path=x; Path=y}");
    EXPECT_EQ(again, first);
    EXPECT_EQ(first->GetRefCount(), 3);
    EXPECT_EQ(maker->calls.size(), 1u);

    // Each of these is a request of its own: another type, case, hint block or spacing.
    std::set<Object*> distinct{first};
    for (auto [type, descriptor] : {std::pair{ResourceType::XmlDocument, "a.txt{Path=x; Path=y}"},
                                    std::pair{ResourceType::String, "A.txt{Path=x; Path=y}"},
                                    std::pair{ResourceType::String, "a.txt{Path=x;Path=y}"},
                                    std::pair{ResourceType::String, "a.txt{Path=y; Path=x}"},
                                    std::pair{ResourceType::String, "a.txt"}}) {
        Object* other = proxy->Get(type, descriptor);
        EXPECT_TRUE(distinct.insert(other).second) << descriptor;
        other->Release();
    }
    EXPECT_EQ(maker->calls.size(), 6u);
    EXPECT_EQ(proxy->GetRecordCount(), 6);
    first->Release();
    again->Release();
}

TEST(ResourceProxy, HintBlockIsSplitOffAndPoppedAfterTheLoad)
{
    struct Case {
        const char* descriptor;
        const char* seen;  // plain descriptor | hints from the bottom up
    };
    for (const Case& c : {
             Case{"tree.png{Path=maps; Path=common}", "tree.png|Path=maps,Path=common"},
             Case{"tree.png{}", "tree.png|"},
             Case{"tree.png}", "tree.png}|"},
             Case{"tree{x}.png", "tree{x}.png|"},
             Case{"}", "}|"},
             Case{"{Path=a;;  Path=b  ;}", "|Path=a,Path=b"},
             Case{"a{b{c; d}", "a{b|c,d"},
             Case{"a{\t one ;\r\ntwo}", "a|one,two"},
         }) {
        Managed<ResourceProxy> proxy(new ResourceProxy());
        FakeService* maker = Register(*proxy, new FakeService("Maker", {ResourceType::String}, MakesTracked()));
        Object* object = proxy->Get(ResourceType::String, c.descriptor);
        object->Release();
        ASSERT_EQ(maker->calls.size(), 1u);
        EXPECT_EQ(maker->calls[0], c.seen) << c.descriptor;
        EXPECT_EQ(proxy->GetHints().Count(), 0) << c.descriptor;
        EXPECT_STREQ(proxy->GetRecord(0).descriptor.CStr(), c.descriptor);
    }
}

TEST(ResourceProxy, NestedRequestsSeeTheOuterHintsAndEveryLevelPopsItsOwn)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    std::vector<std::string> outerSaw;
    FakeService* inner =
        Register(*proxy, new FakeService("Inner", {ResourceType::String}, [](ResourceType, const String& d, ResourceProxy*) -> Object* {
                     if (d == "bad")
                         throw Exception("no such text");
                     return new Tracked();
                 }));
    Register(*proxy, new FakeService("Outer", {ResourceType::Scene}, [&](ResourceType, const String&, ResourceProxy* p) {
                 Managed<Object> text(p->Get(ResourceType::String, "shader.cg{Path=b}"));
                 outerSaw.push_back(FakeService::Hints(p));
                 try {
                     p->Get(ResourceType::String, "bad{Path=c; Path=d}");
                 } catch (const Exception&) {
                 }
                 outerSaw.push_back(FakeService::Hints(p));
                 return new Tracked(nullptr, text.Get());
             }));
    Object* scene = proxy->Get(ResourceType::Scene, "scene.xml{Path=a}");
    EXPECT_EQ(inner->calls, (std::vector<std::string>{"shader.cg|Path=a,Path=b", "bad|Path=a,Path=c,Path=d"}));
    EXPECT_EQ(outerSaw, (std::vector<std::string>{"Path=a", "Path=a"}));
    EXPECT_EQ(proxy->GetHints().Count(), 0);
    scene->Release();
}

TEST(ResourceProxy, FailureReportNamesEveryServiceInTheOrderTried)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    FakeService* first = Register(*proxy, new FakeService("First", {ResourceType::Bitmap2D}, Throws("first failed")));
    Register(*proxy, new FakeService("Second", {ResourceType::Bitmap2D},
                                     [](ResourceType, const String&, ResourceProxy*) -> Object* { return nullptr; }));
    Register(*proxy, new FakeService("Third", {ResourceType::Bitmap2D}, Throws("third failed")));

    EXPECT_THROW_MESSAGE(proxy->Get(ResourceType::Bitmap2D, "pic.png{Path=maps}"),
                         "Descriptor 'pic.png{Path=maps}' could not be converted to an object: \n"
                         "Third: third failed\n"
                         "Second: Service behaved incorrectly\n"
                         "First: first failed\n");
    EXPECT_EQ(proxy->GetRecordCount(), 0);
    EXPECT_EQ(proxy->GetHints().Count(), 0);
    EXPECT_EQ(first->calls, (std::vector<std::string>{"pic.png|Path=maps"}));

    EXPECT_THROW_MESSAGE(proxy->Get(ResourceType::Geometry, "x{Path=a}"), "No service could load the given type");
    EXPECT_EQ(proxy->GetHints().Count(), 0);

    // The last registered service that succeeds ends the search.
    Register(*proxy, new FakeService("Fourth", {ResourceType::Bitmap2D}, MakesTracked()));
    Object* picture = proxy->Get(ResourceType::Bitmap2D, "pic.png");
    EXPECT_EQ(first->calls.size(), 1u);
    picture->Release();

    // Exceptions that are not the engine's pass through untouched, and the hints still go.
    Register(*proxy, new FakeService("Broken", {ResourceType::Bitmap2D},
                                     [](ResourceType, const String&, ResourceProxy*) -> Object* {
                                         throw std::runtime_error("not ours");
                                     }));
    EXPECT_THROW(proxy->Get(ResourceType::Bitmap2D, "other.png{Path=x}"), std::runtime_error);
    EXPECT_EQ(proxy->GetHints().Count(), 0);
}

TEST(ResourceProxy, CollectFreesUnreferencedObjectsAndKeepsTheOthersUntouched)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    int destroyed = 0;
    Register(*proxy, new FakeService("Maker", {ResourceType::String}, MakesTracked(&destroyed)));
    Object* kept = proxy->Get(ResourceType::String, "kept");
    proxy->Get(ResourceType::String, "dropped")->Release();

    proxy->Collect();
    EXPECT_EQ(destroyed, 1);
    ASSERT_EQ(proxy->GetRecordCount(), 1);
    EXPECT_EQ(proxy->GetRecord(0).object, kept);
    EXPECT_EQ(kept->GetRefCount(), 2);

    kept->Release();
    proxy->Collect();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(proxy->GetRecordCount(), 0);
}

TEST(ResourceProxy, CollectFreesChainsWhateverTheOrderOfTheirRecords)
{
    // The holder's record after the held object's (a nested request) ...
    {
        Managed<ResourceProxy> proxy(new ResourceProxy());
        int destroyed = 0;
        Register(*proxy, new FakeService("Text", {ResourceType::String}, MakesTracked(&destroyed)));
        Register(*proxy, new FakeService("Scene", {ResourceType::Scene}, [&](ResourceType, const String&, ResourceProxy* p) {
                     Managed<Object> text(p->Get(ResourceType::String, "held"));
                     return new Tracked(&destroyed, text.Get());
                 }));
        proxy->Get(ResourceType::Scene, "holder")->Release();
        ASSERT_EQ(proxy->GetRecordCount(), 2);
        proxy->Collect();
        EXPECT_EQ(destroyed, 2);
        EXPECT_EQ(proxy->GetRecordCount(), 0);
    }
    // ... and before it, which takes a second pass.
    {
        Managed<ResourceProxy> proxy(new ResourceProxy());
        int destroyed = 0;
        auto* inner = new Tracked(&destroyed);
        auto* middle = new Tracked(&destroyed, inner);
        auto* outer = new Tracked(&destroyed, middle);
        for (Object* object : {static_cast<Object*>(outer), static_cast<Object*>(middle), static_cast<Object*>(inner)}) {
            proxy->Add(ResourceType::Custom, object);
            object->Release();
        }
        proxy->Collect();
        EXPECT_EQ(destroyed, 3);
        EXPECT_EQ(proxy->GetRecordCount(), 0);
    }
}

TEST(ResourceProxy, CollectOfAMiscountedObjectThrowsWithEveryCountIntact)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    int destroyed = 0;
    auto* miscounted = new Tracked(&destroyed);
    proxy->Add(ResourceType::Custom, miscounted);
    proxy->Add(ResourceType::Custom, miscounted);
    miscounted->Release();
    miscounted->Release();  // one reference too few for its two records
    auto* kept = new Tracked(&destroyed);
    proxy->Add(ResourceType::Custom, kept);
    auto* shared = new Tracked(&destroyed);
    proxy->Add(ResourceType::Custom, shared);
    proxy->Add(ResourceType::Custom, shared);

    EXPECT_THROW_MESSAGE(
        proxy->Collect(),
        "ResourceProxy is messed up. Somebody doesn't keep track of their object reference counts properly");
    EXPECT_EQ(miscounted->GetRefCount(), 1);
    EXPECT_EQ(kept->GetRefCount(), 2);
    EXPECT_EQ(shared->GetRefCount(), 3);
    EXPECT_EQ(proxy->GetRecordCount(), 5);
    EXPECT_EQ(destroyed, 0);

    miscounted->AddRef();
    kept->Release();
    shared->Release();
    proxy->Collect();
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(proxy->GetRecordCount(), 0);
}

TEST(ResourceProxy, ReloadLoadsAnewAndReleasesTheOldOnlyOnSuccess)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    int destroyed = 0;
    bool fail = false;
    Register(*proxy, new FakeService("Maker", {ResourceType::String}, [&](ResourceType, const String&, ResourceProxy*) -> Object* {
                 if (fail)
                     throw Exception("file is gone");
                 return new Tracked(&destroyed);
             }));
    Object* old = proxy->Get(ResourceType::String, "a");
    Object* other = proxy->Get(ResourceType::String, "b");

    Object* fresh = proxy->Reload(old, ResourceType::String, "a");
    EXPECT_NE(fresh, old);
    EXPECT_EQ(old->GetRefCount(), 1);  // only its superseded record
    EXPECT_FALSE(proxy->GetRecord(0).current);
    Object* again = proxy->Get(ResourceType::String, "a");
    EXPECT_EQ(again, fresh);
    again->Release();

    proxy->Collect();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(fresh->GetRefCount(), 2);

    // A failed reload changes nothing: the caller keeps its object and the record serves it.
    fail = true;
    EXPECT_THROW_MESSAGE(proxy->Reload(fresh, ResourceType::String, "a"),
                         "Descriptor 'a' could not be converted to an object: \nMaker: file is gone\n");
    EXPECT_EQ(fresh->GetRefCount(), 2);
    again = proxy->Get(ResourceType::String, "a");
    EXPECT_EQ(again, fresh);
    again->Release();

    // A superseded object that someone else still holds survives Collect.
    fail = false;
    fresh->AddRef();
    Object* newest = proxy->Reload(fresh, ResourceType::String, "a");
    proxy->Collect();
    EXPECT_EQ(fresh->GetRefCount(), 2);
    EXPECT_EQ(destroyed, 1);
    fresh->Release();
    newest->Release();
    other->Release();
}

TEST(ResourceProxy, AddGivesEveryCallItsOwnDescriptor)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    std::vector<Object*> objects;
    std::set<std::string> descriptors;
    for (int i = 0; i < 2000; ++i) {
        objects.push_back(new Tracked());
        String descriptor = proxy->Add(ResourceType::XmlElement, objects.back());
        EXPECT_GT(descriptor.Length(), 0);
        descriptors.insert(descriptor.CStr());
    }
    EXPECT_EQ(descriptors.size(), objects.size());
    for (int i : {0, 999, 1999}) {
        Object* found = proxy->Get(ResourceType::XmlElement, proxy->GetRecord(i).descriptor);
        EXPECT_EQ(found, objects[i]);
        EXPECT_EQ(found->GetRefCount(), 3);
        found->Release();
    }
    for (Object* object : objects)
        object->Release();
    EXPECT_THROW_MESSAGE(proxy->Add(ResourceType::XmlElement, nullptr), "ResourceProxy::Add(): No object given");
}

TEST(ResourceProxy, DumpListsTheRecords)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    Register(*proxy, new FakeService("Maker", {ResourceType::Geometry}, MakesTracked()));
    Object* geometry = proxy->Get(ResourceType::Geometry, "floor.ngm{Path=geo}");
    auto* custom = new Tracked();
    String descriptor = proxy->Add(static_cast<ResourceType>(0x123456), custom);
    custom->Release();
    EXPECT_STREQ(proxy->Dump().CStr(), ("Index\tRefCount\tType\tDescriptor\n"
                                        "0\t2\tGeometry\tfloor.ngm{Path=geo}\n"
                                        "1\t1\t???????\t" +
                                        descriptor + "\n")
                                           .CStr());
    geometry->Release();
}

TEST(ResourceProxy, ContextObjectsAreCountedAndMissingOnesThrow)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    EXPECT_THROW_MESSAGE(proxy->GetGraphicsDevice(), "ResoruceProxy: No GraphicsDevice set");
    EXPECT_THROW_MESSAGE(proxy->GetSoundDevice(), "ResoruceProxy: No SoundDevice set");
    EXPECT_THROW_MESSAGE(proxy->GetFileSystem(), "ResoruceProxy: No FileSystem set");
    EXPECT_THROW_MESSAGE(proxy->GetSkin(), "ResoruceProxy: No GUI::Skin set");
    EXPECT_THROW_MESSAGE(proxy->GetStudioRoot(), "ResourceProxy: No Studio::Root set");

    class NoFiles : public IO::FileSystem {
    public:
        IO::Stream* OpenFile(const String&, IO::FileMode) override { throw Exception("none"); }
        void GetFiles(const String&, Array<IO::FileInfo*>&) override {}
    };
    Managed<IO::FileSystem> first(new NoFiles());
    Managed<IO::FileSystem> second(new NoFiles());
    proxy->SetFileSystem(first.Get());
    EXPECT_EQ(proxy->GetFileSystem(), first.Get());
    EXPECT_EQ(first->GetRefCount(), 2);
    proxy->SetFileSystem(second.Get());
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(second->GetRefCount(), 2);
    proxy.Set(nullptr);
    EXPECT_EQ(second->GetRefCount(), 1);
}

TEST(ResourceProxy, FirstProxyIsGlobalUntilAnotherIsMadeGlobalOrItGoes)
{
    EXPECT_THROW_MESSAGE(ResourceProxy::GetGlobal(), "No global ResourceProxy set");
    Managed<ResourceProxy> first(new ResourceProxy());
    Managed<ResourceProxy> second(new ResourceProxy());
    EXPECT_EQ(ResourceProxy::GetGlobal(), first.Get());
    second->SetGlobal();
    EXPECT_EQ(ResourceProxy::GetGlobal(), second.Get());
    first.Set(nullptr);  // not the global one: the global stays
    EXPECT_EQ(ResourceProxy::GetGlobal(), second.Get());
    second.Set(nullptr);
    EXPECT_THROW_MESSAGE(ResourceProxy::GetGlobal(), "No global ResourceProxy set");
}

TEST(ResourceProxy, DestructionReleasesServicesAndCachedObjects)
{
    int servicesDestroyed = 0;
    int objectsDestroyed = 0;
    {
        Managed<ResourceProxy> proxy(new ResourceProxy());
        auto* service = new FakeService("Maker", {ResourceType::String, ResourceType::Scene, ResourceType::Geometry},
                                        MakesTracked(&objectsDestroyed), &servicesDestroyed);
        proxy->AddService(service);
        EXPECT_EQ(service->GetRefCount(), 4);  // one per type
        service->Release();
        proxy->Get(ResourceType::Scene, "a")->Release();
        Object* shared = new Tracked(&objectsDestroyed);
        proxy->Add(ResourceType::Custom, shared);
        proxy->Add(ResourceType::Custom, shared);
        shared->Release();
    }
    EXPECT_EQ(servicesDestroyed, 1);
    EXPECT_EQ(objectsDestroyed, 2);
}

TEST(Resource, HandleHoldsTheObjectAndTheProxy)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    Register(*proxy, new FakeService("Maker", {ResourceType::String}, MakesTracked()));
    using Handle = Resource<Tracked, ResourceType::String>;
    Tracked* object;
    {
        Handle handle(proxy.Get(), "a");
        object = handle.Get();
        EXPECT_EQ(object->GetRefCount(), 2);
        EXPECT_EQ(proxy->GetRefCount(), 2);
        EXPECT_STREQ(handle.GetDescriptor().CStr(), "a");

        Handle copy(handle);
        EXPECT_EQ(copy.operator->(), object);
        EXPECT_EQ(object->GetRefCount(), 3);
        EXPECT_EQ(proxy->GetRefCount(), 3);

        Handle& same = copy;
        copy = same;
        EXPECT_EQ(copy.Get(), object);
        EXPECT_EQ(object->GetRefCount(), 3);
        EXPECT_EQ(proxy->GetRefCount(), 3);

        copy = Handle();
        EXPECT_EQ(object->GetRefCount(), 2);
        EXPECT_EQ(proxy->GetRefCount(), 2);
        EXPECT_THROW_MESSAGE(copy.Get(), "Accessing uninitialized resource");
        EXPECT_THROW_MESSAGE(copy->GetRefCount(), "Accessing uninitialized resource");

        // Made from the global proxy, which the first proxy is.
        Handle global("a");
        EXPECT_EQ(global.Get(), object);
        EXPECT_EQ(global.GetProxy(), proxy.Get());

        // Wrapping an object that did not come from a proxy.
        auto* loose = new Tracked();
        {
            Handle wrapped(loose);
            EXPECT_EQ(loose->GetRefCount(), 2);
            EXPECT_EQ(wrapped.GetProxy(), nullptr);
            copy = wrapped;
            EXPECT_EQ(copy.Get(), loose);
            EXPECT_EQ(copy.GetProxy(), nullptr);
            EXPECT_EQ(loose->GetRefCount(), 3);
        }
        copy = Handle();
        EXPECT_EQ(loose->GetRefCount(), 1);

        // Wrapping an object under its descriptor without holding a proxy.
        const int proxyReferences = proxy->GetRefCount();
        {
            const Handle named = Handle::WithoutProxy(loose, "maps/a.png");
            EXPECT_EQ(named.Get(), loose);
            EXPECT_EQ(named.GetProxy(), nullptr);
            EXPECT_STREQ(named.GetDescriptor().CStr(), "maps/a.png");
            EXPECT_EQ(loose->GetRefCount(), 2);
            EXPECT_STREQ(Handle(named).GetDescriptor().CStr(), "maps/a.png");
        }
        EXPECT_EQ(loose->GetRefCount(), 1);
        EXPECT_EQ(proxy->GetRefCount(), proxyReferences);
        loose->Release();
    }
    EXPECT_EQ(object->GetRefCount(), 1);
    EXPECT_EQ(proxy->GetRefCount(), 1);

    // An object of another class than the handle's is refused without a lost reference.
    using WrongHandle = Resource<ResourceProxy, ResourceType::String>;
    EXPECT_THROW_MESSAGE(WrongHandle(proxy.Get(), "a"), "Resource 'a' is not of the requested type");
    EXPECT_EQ(object->GetRefCount(), 1);
    EXPECT_EQ(proxy->GetRefCount(), 1);
}

}  // namespace resource_proxy_test
