#include "utils/DefaultResourceProxy.h"

#include "utils/FileOpener.h"
#include "utils/loaders/AudioClipLoader.h"
#include "utils/loaders/COLLADALoader.h"
#include "utils/loaders/GUILoader.h"
#include "utils/loaders/HDRLoader.h"
#include "utils/loaders/JPEGLoader.h"
#include "utils/loaders/Ngm.h"
#include "utils/loaders/NsgLoader.h"
#include "utils/loaders/Nsgml.h"
#include "utils/loaders/OggLoader.h"
#include "utils/loaders/PNGLoader.h"
#include "utils/loaders/ProgramLoader.h"
#include "utils/loaders/ShaderLoader.h"
#include "utils/loaders/SoundBufferLoader.h"
#include "utils/loaders/TGALoader.h"
#include "utils/loaders/TextLoader.h"
#include "utils/loaders/Texture2DLoader.h"
#include "utils/loaders/TextureCubeLoader.h"
#include "utils/loaders/TextureLoader.h"
#include "utils/loaders/TrueTypeFontLoader.h"
#include "utils/loaders/WavLoader.h"
#include "utils/loaders/XmlLoader.h"
#include "utils/loaders/ZipLoader.h"

namespace Nimbrel::Utils {

// The standard services, in their fixed order. Services are tried from the last registered
// to the first, which gives: Bitmap2D HDR, TGA, PNG, JPEG; Scene COLLADA, then Nsgml, then Nsg;
// AudioClip WAV, then the generic clip loader; FileSystem zip archive, then folder.
// A service still to be written keeps its place here as a comment.
DefaultResourceProxy::DefaultResourceProxy()
{
    Register(new FileOpener());                      //  1 InputStream, OutputStream, FileSystem, Buffer
    Register(new Loaders::Ngm());                    //  2 Geometry
    Register(new Loaders::GUILoader());              //  3 GUIWidget
    Register(new Loaders::NsgLoader());              //    Scene: a library on its own, tried after markup and COLLADA
    Register(new Loaders::Nsgml());                  //  4 Scene, SceneNode
    Register(new Loaders::COLLADALoader());          //  5 Scene
    Register(new Loaders::JPEGLoader());             //  6 Bitmap2D
    Register(new Loaders::OggLoader());              //  7 AudioStream
    Register(new Loaders::PNGLoader());              //  8 Bitmap2D
    Register(new Loaders::ProgramLoader());          //  9 Program
    Register(new Loaders::ShaderLoader());           // 10 Vertex/Pixel/GeometryShader
    Register(new Loaders::SoundBufferLoader());      // 11 SoundBuffer
    Register(new Loaders::TextLoader());             // 12 String
    Register(new Loaders::TextureLoader());          // 13 Texture
    Register(new Loaders::Texture2DLoader());        // 14 Texture2D
    Register(new Loaders::TextureCubeLoader());      // 15 TextureCube
    Register(new Loaders::TGALoader());              // 16 Bitmap2D
    Register(new Loaders::HDRLoader());              // 17 Bitmap2D
    Register(new Loaders::TrueTypeFontLoader());     // 18 FontFace
    Register(new Loaders::AudioClipLoader());        // 19 AudioClip
    Register(new Loaders::WavLoader());              // 20 AudioClip
    Register(new Loaders::XmlLoader());              // 21 XmlDocument
    Register(new Loaders::ZipLoader());              // 22 FileSystem
}

void DefaultResourceProxy::Register(Service* service)
{
    Managed<Service> created(service);
    AddService(service);
}

}  // namespace Nimbrel::Utils
