// An object's colours, as the C++ Material record lays them out (std140).
layout(std140) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
} material;
