#pragma once
// Common base of loaded resources (sounds and the like), so owners can hold them alike.

class Resource {
  public:
    virtual ~Resource() = default;
};
