#include "city/tower_builder.h"

#include "core/game_object.h"
#include "core/vector.h"
#include "game/game_state.h"

namespace {

// A tower side in whole blocks. Scripts can send anything; a value that is no count (NaN,
// negative) gives no blocks rather than an undefined conversion.
i32 TowerCells(float size) {
    if (!(size >= 1.0f)) {
        return 0;
    }
    return size >= static_cast<float>(kMaxTowerCells) ? kMaxTowerCells : static_cast<i32>(size);
}

// Where a tower cell's index puts a block along one side, before the tower's location.
float TowerOffset(i32 index, i32 count) {
    return static_cast<float>(index - count / 2) * kTowerCell;
}

} // namespace

GameObject* CreateTower(GameState& state, const Vector& size, const Vector& towerLocation) {
    const i32 nx = TowerCells(size.x);
    const i32 ny = TowerCells(size.y);
    const i32 nz = TowerCells(size.z);
    GameObject* last = nullptr;
    // A side without blocks is no tower: walls at index nx - 1 would land outside it.
    if (nx == 0 || ny == 0 || nz == 0) {
        return last;
    }
    const Vector location = towerLocation;
    const auto place = [&state, &last, &location](float x, float y, float z) {
        GameObject* const block = state.CreateObject("BuildingBlock");
        if (block == nullptr) {
            return;
        }
        block->SetPosition(Vector(x, y, z) + location);
        last = block;
    };
    const auto wall = [&place, nx, nz](i32 i, i32 y, i32 k) {
        place(TowerOffset(i, nx) + kTowerHalfCell,
              static_cast<float>(y) * kTowerCell + kTowerHalfCell,
              TowerOffset(k, nz) + kTowerHalfCell);
    };

    for (i32 y = 0; y < ny; ++y) {
        // A side one block wide has one wall there, not two in the same place.
        for (i32 x = 0; x < nx; ++x) {
            wall(x, y, 0);
            if (nz > 1) {
                wall(x, y, nz - 1);
            }
        }
        for (i32 z = 1; z < nz - 1; ++z) {
            wall(0, y, z);
            if (nx > 1) {
                wall(nx - 1, y, z);
            }
        }
    }
    const float roof = static_cast<float>(ny - 1) * kTowerCell + kTowerHalfCell;
    for (i32 x = 1; x < nx - 1; ++x) {
        for (i32 z = 1; z < nz - 1; ++z) {
            place(TowerOffset(x, nx), roof, TowerOffset(z, nz));
        }
    }
    return last;
}
