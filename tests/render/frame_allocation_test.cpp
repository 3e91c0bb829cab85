// SPDX-License-Identifier: MIT
#include "gl_fixture.h"

#include "camera/camera.h"
#include "geometry/tube_mesh.h"
#include "render/draw_scene.h"

#include <dlfcn.h>

#include <cstddef>
#include <type_traits>

// Counts the operator new calls made on this thread while `counting` is set.
// Mesa allocates too, on its own threads and with malloc, and llvmpipe's
// shader compiler (LLVM) uses operator new on the first frames that need a
// new shader variant; the count therefore starts after a few warm-up frames
// and covers only the calling thread. The replacements forward to the
// definitions they stand in front of (the C++ runtime's, or a sanitizer's),
// so that every allocation still meets its own operator delete.
namespace {
thread_local bool counting = false;
thread_local long allocations = 0;
void* volatile kept = nullptr;

using NewFunction = void* (*)(std::size_t);

NewFunction next_definition(const char* symbol) {
    return reinterpret_cast<NewFunction>(dlsym(RTLD_NEXT, symbol));
}

// The mangled names of operator new and new[] name std::size_t's type:
// unsigned long (m) on 64-bit Linux, unsigned int (j) on 32-bit.
constexpr bool SIZE_IS_LONG = std::is_same_v<std::size_t, unsigned long>;

void* counted(NewFunction next, std::size_t size) {
    if (counting) {
        ++allocations;
    }
    return next(size);
}
} // namespace

void* operator new(std::size_t size) {
    static const NewFunction next = next_definition(SIZE_IS_LONG ? "_Znwm" : "_Znwj");
    return counted(next, size);
}

void* operator new[](std::size_t size) {
    static const NewFunction next = next_definition(SIZE_IS_LONG ? "_Znam" : "_Znaj");
    return counted(next, size);
}

using FrameAllocation = GlWindow;

TEST_F(FrameAllocation, FramesAllocateNothing) {
    TubeMesh mesh;
    build_tube_mesh(256, 16, mesh);
    Camera camera{{0, 0, 10}, {0, 0, 1}, {0, 1, 0}, 0};
    std::int32_t path_step = 0;
    for (int frame = 0; frame < 5; ++frame) {
        camera_step(camera, path_step);
        draw_scene(camera, mesh);
    }

    // The counter itself must see an allocation made in the window.
    counting = true;
    kept = ::operator new(16);
    ::operator delete(kept);
    counting = false;
    ASSERT_EQ(allocations, 1);

    allocations = 0;
    for (int frame = 0; frame < 360; ++frame) {
        counting = true;
        camera_step(camera, path_step);
        draw_scene(camera, mesh);
        counting = false;
        ASSERT_EQ(allocations, 0) << "frame with path step " << path_step;
    }
}
