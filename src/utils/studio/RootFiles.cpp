// Studio::Root::Save and Studio::Root::Load: the project's pair of files in the data folder.
//
// Save writes "gui_layout.xml.tmp" and "syncdata.bin.tmp" first, each checked, and renames
// them over the old files only when both are whole; a temporary file that failed is removed
// where the folder can remove files. Load swaps the data folder in as the proxy's file system
// for the layout alone and puts the previous one back on every path.

#include "utils/studio/Root.h"

#include "core/Exception.h"
#include "io/Stream.h"
#include "io/StreamBytes.h"
#include "utils/Application.h"
#include "utils/ResourceProxy.h"
#include "utils/gui/Widget.h"
#include "utils/loaders/GUILoader.h"
#include "utils/loaders/XmlLoader.h"
#include "utils/studio/SyncData.h"
#include "utils/xml/Document.h"
#include "utils/xml/Element.h"
#include "utils/xml/RWDocument.h"
#include "utils/xml/WriteDocument.h"

#include <cstdint>
#include <vector>

namespace Nimbrel::Utils::Studio {

namespace studio_root_files_detail {

// Makes a folder the proxy's file system until the scope ends.
class ProxyFileSystemSwap {
public:
    ProxyFileSystemSwap(ResourceProxy* proxy, IO::FileSystem* folder) : proxy(proxy)
    {
        try {
            IO::FileSystem* current = proxy->GetFileSystem();
            current->AddRef();
            previous.Set(current);
        } catch (const Exception&) {
            // The proxy had none; it gets none back.
        }
        proxy->SetFileSystem(folder);
    }
    ~ProxyFileSystemSwap() { proxy->SetFileSystem(previous.Get()); }
    ProxyFileSystemSwap(const ProxyFileSystemSwap&) = delete;
    ProxyFileSystemSwap& operator=(const ProxyFileSystemSwap&) = delete;

private:
    ResourceProxy* proxy;
    Managed<IO::FileSystem> previous;
};

// The layout's text, gathered in memory before any file is touched.
class TextCollector : public IO::Stream {
public:
    bool IsWriteable() const override { return true; }
    int GetLength() const override { return static_cast<int>(bytes.size()); }
    int GetPosition() const override { return static_cast<int>(bytes.size()); }
    int Write(const void* data, int size, int count) override
    {
        const auto* first = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), first, first + static_cast<size_t>(size) * static_cast<size_t>(count));
        return count;
    }
    std::vector<uint8_t> bytes;
};

}  // namespace studio_root_files_detail

void Root::Save()
{
    if (dataFolder.IsEmpty())
        throw Exception("Studio::Root::Save(): No data folder set");
    IO::FileSystem* folder = dataFolder.Get();
    WriteLayoutTemporary();
    try {
        syncData->SaveTemporary(folder);
    } catch (const Exception&) {
        DiscardTemporary(LayoutTemporaryFileName);
        throw;
    }
    // Each file is whole once renamed; a rename that fails leaves the old file of that name,
    // so the folder holds a pair that loads either way. What was not renamed is removed.
    try {
        folder->MoveFile(LayoutTemporaryFileName, LayoutFileName);
    } catch (const Exception&) {
        DiscardTemporary(LayoutTemporaryFileName);
        DiscardTemporary(SyncData::TemporaryFileName);
        throw;
    }
    try {
        folder->MoveFile(SyncData::TemporaryFileName, SyncData::FileName);
    } catch (const Exception&) {
        DiscardTemporary(SyncData::TemporaryFileName);
        throw;
    }
    for (SaveComponent* component : saveComponents)
        component->Save(dataFolder);
}

void Root::WriteLayoutTemporary()
{
    using namespace studio_root_files_detail;
    IO::FileSystem* folder = dataFolder.Get();
    Managed<Xml::Document> document(Xml::CreateDocument(SaveLayout()));
    Managed<TextCollector> text(new TextCollector());
    Xml::WriteDocument(Resource<Xml::Document, ResourceType::XmlDocument>(document.Get()),
                       Resource<IO::Stream, ResourceType::OutputStream>(text.Get()));
    const std::vector<uint8_t>& bytes = text->bytes;
    try {
        {
            Managed<IO::Stream> stream(folder->OpenFile(LayoutTemporaryFileName, IO::FileModeWrite));
            IO::WriteAll(stream.Get(), bytes.data(), bytes.size());
            stream->Flush();
        }
        Managed<IO::Stream> stream(folder->OpenFile(LayoutTemporaryFileName, IO::FileModeRead));
        if (IO::ReadToEnd(stream.Get()) != bytes)
            throw Exception("Studio::Root::Save(): The temporary file gui_layout.xml.tmp did not read back as written");
    } catch (const Exception&) {
        DiscardTemporary(LayoutTemporaryFileName);
        throw;
    }
}

void Root::DiscardTemporary(const char* name)
{
    IO::FileSystem* folder = dataFolder.Get();
    if (!folder->CanDeleteFiles())
        return;
    try {
        folder->DeleteFile(name);
    } catch (const Exception&) {
        // The failure that led here is the one worth reporting.
    }
}

void Root::Load()
{
    if (dataFolder.IsEmpty())
        throw Exception("Studio::Root::Load(): No data folder set");
    String failures;
    try {
        Managed<Widget> container(LoadLayoutContainer());
        ReplaceLoadedWindows(container.Get());
    } catch (const Exception& failure) {
        failures = failure.GetMessage();
        // A tracker of the failed layout stays in the discarded container.
        if (tracker && tracker->GetParent() != this)
            tracker = nullptr;
    }
    // A damaged layout does not keep the sync data from loading.
    try {
        syncData->Load(dataFolder.Get());
        for (SaveComponent* component : saveComponents)
            component->Load(dataFolder);
    } catch (const Exception& failure) {
        failures = failures.Length() > 0 ? failures + "\n" + failure.GetMessage() : failure.GetMessage();
    }
    if (failures.Length() > 0)
        throw Exception(failures);
}

GUI::Widget* Root::LoadLayoutContainer()
{
    ResourceProxy* proxy = application->GetResourceProxy();
    studio_root_files_detail::ProxyFileSystemSwap swap(proxy, dataFolder.Get());
    // The layout's bytes come from the folder itself, not through the proxy, whose records may
    // hold the input stream of an earlier Load, opened on the file that a Save has replaced.
    Managed<IO::Stream> stream(dataFolder->OpenFile(LayoutFileName, IO::FileModeRead));
    const std::vector<uint8_t> bytes = IO::ReadToEnd(stream.Get());
    Managed<Xml::Document> document(Loaders::XmlLoader::Parse(bytes.data(), bytes.size()));
    Xml::Element* element = document->GetRoot();
    if (!element)
        throw Exception("Studio::Root::Load(): The layout has no root element");
    return Loaders::GUILoader::Build(element, proxy, 0);
}

void Root::ReplaceLoadedWindows(Widget* container)
{
    while (loadedWindows.Count() > 0)
        loadedWindows[loadedWindows.Count() - 1]->Close();  // leaves the list through OnChildRemoved
    while (container->GetChildCount() > 0) {
        Widget* window = container->GetChild(0);
        container->RemoveChild(window);
        AddChild(window);
        loadedWindows.Add(window);
        window->Show();
    }
}

}  // namespace Nimbrel::Utils::Studio
