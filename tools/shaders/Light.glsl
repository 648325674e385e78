// The one point light, as the game uploads it into the basic program.
struct Light {
    vec3 l_position;
    vec3 l_ambient;
    vec3 l_diffuse;
    vec3 l_specular;
};
uniform Light lights[1];
