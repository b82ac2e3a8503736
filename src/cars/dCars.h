#pragma once
// The cars: the body shared by the player's car and the computer's cars (two point masses with
// grip-based steering, lap counting, drawing), their collisions with the road edges and with each
// other, the player's keyboard control and the computer driver.
//
// Speeds are world units per update, accelerations world units per update per update, angles
// degrees. "Left" is turned +90 degrees in the XY plane (which the chase view shows mirrored).
// Reads the globals Map, GameManager, CarList, CarMeshes, FrameAlpha, Engine and Input.

#include "cars/dPhysics.h"
#include "math/dMath.h"

#include <cstdint>

class TBasicCar {
public:
    TVec3 Pos;     // centre: the mean of the two masses
    TVec3 PrevPos; // Pos at the start of the latest update
    float PrevAngle = 0;
    float Wheelbase = 0; // rest distance of the two masses
    float Speed = 0;     // mean speed of the masses after the limit; never negative
    float MaxSpeed = 0;
    TVec3 Dir;   // unit heading, rear mass to front mass
    TVec3 Right; // (Dir.y, -Dir.x, 0)
    float SteerStep = 0;
    float GripDivisor = 0;
    float MaxSteer = 0;
    float Angle = 0; // heading in (-180, 180], from +x towards +y
    float Accel = 0;
    bool Steered = false;
    bool HandbrakeOn = false;
    int32_t Model = 0;
    int32_t PrevPoint = 0;
    int32_t LastPoint = 0;
    bool Finished = false;
    int32_t RoadPoint = 0;
    TPointMass Masses[2]; // [0] front, [1] rear
    TVec3 GripDir[2];     // this update's grip lines, [0] front, [1] rear; not normalised
    float Radius = 0;     // collision radius of each mass
    float Steer = 0;      // in [-MaxSteer, MaxSteer]; positive turns left
    int32_t Laps = 0;
    int32_t Place = 0; // index in the race manager's Order
    // What the latest update did to the car, kept for the sound to hear; nothing of the race reads
    // them back.
    float HardestPush = 0; // world units: the longest move of a mass by a road edge or another car
    bool Braked = false;   // the handbrake was held

    TBasicCar();
    virtual ~TBasicCar() = default;

    void ApplyModelPreset(int32_t NewModel);
    // At rest at (X, Y, 0) facing away from Back (a unit vector), then one Update.
    void PlaceAt(const TVec3& Back, float X, float Y);
    virtual void Update();
    virtual void Draw(); // cars/dCarsDraw.cpp
    virtual void SetPersonality(int32_t Index) = 0;

    // Driver commands, given before the inherited Update of the same update.
    void SteerCommand(int32_t D); // +1 left, -1 right
    void Accelerate(int32_t D);   // +1 forwards, -1 backwards
    void ApplyHandbrake();

    // Steps of Update, public for tests.
    void FindNearestPoint();
    int32_t WrapPoint(int32_t I) const;
    int32_t FindPlace() const;
    void Move();
    void ApplyGrip();
    void CollideWorld();
    void CollideCar(TBasicCar& Other);

private:
    void NotePush(const TVec3& From, const TVec3& To);
};

// Car model Model (a CarMeshes slot) standing at Pos on the desk, heading HeadingDeg (from +x
// towards +y), as every car draws itself (cars/dCarsDraw.cpp).
void DrawCarModel(int32_t Model, const TVec3& Pos, float HeadingDeg);

class TPlayerCar : public TBasicCar {
public:
    TPlayerCar();
    void Update() override;
    void SetPersonality(int32_t) override {} // only computer cars have one
};

class TAICar : public TBasicCar {
public:
    TVec3 AheadDir;
    float Offset = 0; // signed distance from the centre line; positive right of the road
    float DistFromCenter = 0;
    float ToCenterKoef = 0;
    float MinTurn = 0;         // degrees
    int32_t LastCheckTime = 0; // ms
    int32_t CheckInterval = 0; // ms
    bool Reversing = false;
    int32_t StuckDist = 0; // world units
    TVec3 CheckPos;

    TAICar();
    void Update() override;
    void Draw() override;
    void SetPersonality(int32_t Index) override;
};
