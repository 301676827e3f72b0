// A typed two-dimensional view of plain memory: element type, width, height and row stride.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace zorva::core {

// Rows are `stride` elements apart, bottom row first like the pictures they
// describe. A Plane<const T> only reads; a Plane<T> converts to it.
template <typename T>
struct Plane {
    T* data = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    size_t stride = 0;  // elements from one row to the next

    bool valid() const { return data != nullptr; }
    T* row(uint32_t r) const { return data + size_t(r) * stride; }
    T& at(uint32_t x, uint32_t r) const { return row(r)[x]; }
    // Every element of the plane's rows, padding between rows included.
    std::span<T> elements() const { return {data, stride * height}; }

    operator Plane<const T>() const requires(!std::is_const_v<T>) { return {data, width, height, stride}; }
};

// A width x height plane of packed rows over `data`.
template <typename T>
Plane<T> PackedPlane(T* data, uint32_t width, uint32_t height) {
    return {data, width, height, width};
}

}  // namespace zorva::core
