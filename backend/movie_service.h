#pragma once
// Attach point of the hub (backend::Hub): filled by the movie task (the player behind the movie operations).
// Until then the hub hands out null for it.

namespace backend {

class MovieService {
public:
    virtual ~MovieService() = default;
};

}  // namespace backend
