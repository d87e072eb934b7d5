#pragma once
// Marks the classes that take their texts from the language database. It carries no behaviour.

class CResourceManager {
public:
    virtual ~CResourceManager();
};
