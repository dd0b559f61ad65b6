#pragma once

#include "Util/vector3d.h"
#include "Util/vector4d.h"

namespace Model {

// Anything drawn in the 3-D view. Held through boost::shared_ptr only.
class Object
{
public:
    enum Type { TotalVolumeType = 1, ExtractedModelType = 2 };

    Object();
    virtual ~Object();

    virtual int getType() const = 0;
    // viewDirection points from the scene towards the viewer.
    virtual void draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection) = 0;
    virtual void drawForPicking() = 0;
    // Newly allocated copy with a new id, or null when the kind cannot be cloned.
    virtual Object *clone() = 0;
    virtual void translate(const Util::Vector3D &offset) = 0;
    // Kept for the object interface; no kind of object uses it.
    virtual void transform(const Util::Vector4D &a, const Util::Vector4D &b) = 0;
    virtual Util::Vector4D getColor() const;
    virtual Util::Vector3D getOutlineColor() const;
    virtual void setColor(const Util::Vector4D &color);
    virtual void setOutlineColor(const Util::Vector4D &color);
    virtual void setSelected(bool selected);
    virtual bool isSelected() const;

    int getId() const { return m_id; }
    void setTemporary(bool temporary) { m_temporary = temporary; }
    bool isTemporary() const { return m_temporary; }
    void setDisplacement(const Util::Vector3D &displacement) { m_displacement = displacement; }
    Util::Vector3D getDisplacement() const { return m_displacement; }

protected:
    Object(const Object &other);
    Object &operator=(const Object &) = delete;

private:
    static int nextId();

    Util::Vector4D m_color;
    Util::Vector4D m_outlineColor;
    int m_id;
    bool m_temporary = false;
    Util::Vector3D m_displacement;
    bool m_selected = false;
};

} // namespace Model
