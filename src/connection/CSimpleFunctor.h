#pragma once
// A task for the background executor: a bound call to a member function of some object, plus
// the observers that hear when the call has returned. Copies share the bound call; the task
// does not own the object whose member it calls, so that object must outlive every run.

#include "connection/CObservable.h"

#include <memory>

class CSimpleFunctor : public CObservable {
public:
    class ProxyInterface {
    public:
        virtual ~ProxyInterface();
        virtual void Invoke() = 0;
    };

    template <class T>
    class ClassFuncProxy final : public ProxyInterface {
    public:
        using Function = void (T::*)();

        ClassFuncProxy(T* object, Function function) : m_object(object), m_function(function) {}
        void Invoke() override { (m_object->*m_function)(); }

    private:
        T* m_object;
        Function m_function;
    };

    template <class T>
    CSimpleFunctor(T* object, void (T::*function)())
        : m_call(std::make_shared<ClassFuncProxy<T>>(object, function))
    {
    }
    CSimpleFunctor(const CSimpleFunctor&) = default;
    CSimpleFunctor& operator=(const CSimpleFunctor&) = default;
    ~CSimpleFunctor() override;

    // Makes the bound call on the calling thread. The executor follows it with Notify().
    void Invoke() const { m_call->Invoke(); }

private:
    std::shared_ptr<ProxyInterface> m_call;
};
