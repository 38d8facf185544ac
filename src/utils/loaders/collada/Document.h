#pragma once
// COLLADA::Document: what the parser keeps of a COLLADA 1.4 file, in tables keyed by id, and
// the objects of those tables. The builder (SceneBuilder.h) turns it into a Utils::Scene.
//
// Keys. Most tables are keyed by the element's `id`. Parameters that animation channels can
// target are keyed by a path of the owner's id and the element's sid: transformations by
// node id + "/" + sid, effect colours by effect id + "/common/" + sid, light and camera
// parameters by owner id + "/" + sid. A key is made only when both parts exist; an object
// without one is still kept by its owner, it just cannot be animated. Surfaces and 2D
// samplers are keyed by effect id + "/" + sid, so each effect sees only its own parameters
// (exporters reuse sids across effects).
//
// Every table keeps insertion order and the first object under a key (the parser notes a
// later one in its log); lookups are hashed, so a document of many thousands of objects reads
// in linear time.

#include "core/Array.h"
#include "core/Exception.h"
#include "core/LinearMap.h"
#include "core/Managed.h"
#include "core/Object.h"
#include "core/String.h"
#include "core/StringBytesHash.h"
#include "utils/Mesh.h"

#include <cstdint>
#include <unordered_map>

namespace Nimbrel::Utils::Loaders::COLLADA {

// The id a local reference names: "#cube" gives "cube"; text without '#' is taken as it is.
inline String LocalId(const String& reference)
{
    return reference.Length() > 0 && reference[0] == '#' ? reference.SubString(1, reference.Length() - 1) : reference;
}

// Insertion-ordered objects by key, owned by the table.
template <class T>
class Table {
public:
    // Takes over the caller's reference. A key already in the table keeps its object and the
    // new one is released (false). Objects without a key are kept but cannot be found.
    bool Add(const String& key, T* object)
    {
        Managed<T> owned(object);
        if (key.Length() > 0 && !positions.try_emplace(key, objects.Count()).second)
            return false;
        keys.Add(key);
        objects.Add(owned);
        return true;
    }
    // Null when the key is not there.
    T* Find(const String& key) const
    {
        const auto found = positions.find(key);
        return found == positions.end() ? nullptr : objects[found->second].Get();
    }
    int Count() const { return objects.Count(); }
    T* At(int index) const { return objects[index].Get(); }
    const String& KeyAt(int index) const { return keys[index]; }

private:
    Array<String> keys;
    Array<Managed<T>> objects;
    std::unordered_map<String, int, StringBytesHash> positions;
};

class Source : public Object {
public:
    String id;
    Array<float> floats;
    Array<int> ints;
    Array<String> names;
    // The accessor: `count` items of `stride` values from value `offset`. A source without an
    // accessor reads as one value per item.
    int offset = 0;
    int stride = 1;
    int count = 0;
    bool hasAccessor = false;
};

class Attribute : public Object {
public:
    Array<float> values;
    // The key channels target it by; empty when it has none.
    String key;
};

class Transformation : public Object {
public:
    enum Kind { Matrix, Rotate, Scale, Translate };
    Kind kind = Matrix;
    // A matrix is kept column-major (the engine's order), already transposed from the file.
    Array<float> values;
    String sid;
    String key;
};

class Batch : public Object {
public:
    String url;
    String material;
};

class Node : public Object {
public:
    String id;
    String name;
    String sid;
    Array<Managed<Transformation>> transformations;
    Array<String> cameras;
    Array<String> lights;
    Array<Managed<Batch>> batches;
    Array<Managed<Node>> children;
};

class Effect : public Object {
public:
    String id;
    LinearMap<String, Managed<Attribute>> colors;
    // Parameter name to the texture attribute of its texture element (a sampler sid, or an
    // image id where the exporter names the image directly).
    LinearMap<String, String> textures;
};

class Sampler2D : public Object {
public:
    String source;
};

class Surface : public Object {
public:
    String image;
};

class Image : public Object {
public:
    String id;
    String file;
};

class Light : public Object {
public:
    String id;
    int type = 1;
    LinearMap<String, Managed<Attribute>> parameters;
};

class Camera : public Object {
public:
    String id;
    LinearMap<String, Managed<Attribute>> parameters;
};

class AnimationSampler : public Object {
public:
    String id;
    Source* input = nullptr;
    Source* output = nullptr;
    Source* inTangent = nullptr;
    Source* outTangent = nullptr;
    Source* interpolation = nullptr;
};

class Channel : public Object {
public:
    String sampler;
    String target;
    int component = 0;
};

class Skin : public Object {
public:
    String id;
    String source;
    Array<float> bindShapeMatrix;
    Source* joints = nullptr;
    Source* inverseBindMatrices = nullptr;
    Source* jointInput = nullptr;
    Source* weightInput = nullptr;
    int jointOffset = 0;
    int weightOffset = 0;
    Array<int> vcount;
    Array<int> v;
};

// A material: the effect it instances.
class Material : public Object {
public:
    String id;
    String effect;
};

class Scene : public Object {
public:
    String id;
    String name;
    Array<Managed<Node>> nodes;
};

class Document : public Object {
public:
    Table<Attribute> attributes;
    Table<Transformation> transformations;
    Table<Source> sources;
    Table<AnimationSampler> samplers;
    // Channels in document order (several may target one path).
    Array<Managed<Channel>> channels;
    Table<Skin> skins;
    Table<Surface> surfaces;
    Table<Sampler2D> samplers2D;
    Table<Image> images;
    Table<Effect> effects;
    Table<Mesh> meshes;
    Table<Light> lights;
    Table<Camera> cameras;
    Table<Material> materials;
    Table<Node> nodes;
    Table<Scene> scenes;
    // The asset's up axis ("Z_UP" when the file says nothing) and unit (meters per unit, 1 when
    // the file says nothing); neither is applied to the geometry.
    String upAxis = "Z_UP";
    float unitMeter = 1.0f;
    String unitName = "meter";
};

}  // namespace Nimbrel::Utils::Loaders::COLLADA
