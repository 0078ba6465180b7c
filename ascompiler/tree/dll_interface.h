// Objects handed across the compiler's interface are released through destroy().
#pragma once

namespace translate {

class DLLInterface {
public:
    virtual void destroy() = 0;

protected:
    virtual ~DLLInterface() = default;
};

// Supplies destroy() as deletion through the virtual destructor.
template <class Interface>
class DLLImpl : public Interface {
public:
    void destroy() override { delete this; }
};

// The deleter of a std::unique_ptr that holds such an object.
struct Destroyer {
    void operator()(DLLInterface* object) const {
        if (object)
            object->destroy();
    }
};

} // namespace translate
